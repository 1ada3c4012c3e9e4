#include "input_script.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <map>

namespace pencora::swfplay {

int virtualKeyFor(const std::string& name) {
    static const std::map<std::string, int> kNamed = {
        {"Backspace", 8},   {"Tab", 9},        {"Enter", 13},       {"LeftShift", 16},
        {"RightShift", 16}, {"Shift", 16},     {"LeftControl", 17}, {"RightControl", 17},
        {"Control", 17},    {"LeftAlt", 18},   {"Alt", 18},         {"CapsLock", 20},
        {"Escape", 27},     {"Space", 32},     {"PageUp", 33},      {"PageDown", 34},
        {"End", 35},        {"Home", 36},      {"ArrowLeft", 37},   {"ArrowUp", 38},
        {"ArrowRight", 39}, {"ArrowDown", 40}, {"Insert", 45},      {"Delete", 46},
    };
    if (const auto it = kNamed.find(name); it != kNamed.end()) {
        return it->second;
    }
    if (name.size() == 1) {
        const char c = name[0];
        if (c >= 'a' && c <= 'z') {
            return c - 'a' + 'A';
        }
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) {
            return c;
        }
        static const std::map<char, int> kPunctuation = {
            {';', 186}, {'=', 187},  {',', 188}, {'-', 189},  {'.', 190}, {'/', 191}, {'`', 192},
            {'[', 219}, {'\\', 220}, {']', 221}, {'\'', 222}, {'"', 222}, {' ', 32}};
        if (const auto it = kPunctuation.find(c); it != kPunctuation.end()) {
            return it->second;
        }
    }
    if (name.size() >= 2 && name[0] == 'F') {
        const int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 12) {
            return 111 + n;
        }
    }
    return 0;
}

namespace {

flash::MouseButton buttonOf(const QString& name) {
    if (name == QLatin1String("Right")) {
        return flash::MouseButton::Right;
    }
    if (name == QLatin1String("Middle")) {
        return flash::MouseButton::Middle;
    }
    return flash::MouseButton::Left;
}

// A key is a name ("Tab") or an object naming a character ({"Char": "a"}, {"Numpad": "1"}).
void readKey(const QJsonValue& key, flash::InputEvent& event) {
    if (key.isString()) {
        event.keyCode = virtualKeyFor(key.toString().toStdString());
        if (event.keyCode == 32) {
            event.character = u' ';
        } else if (event.keyCode == 13) {
            event.character = u'\r';
        }
        return;
    }
    const QJsonObject object = key.toObject();
    QString text = object.value(QLatin1String("Char")).toString();
    if (text.isEmpty()) {
        text = object.value(QLatin1String("Numpad")).toString();
    }
    if (!text.isEmpty()) {
        event.character = text.at(0).unicode();
        event.keyCode = virtualKeyFor(text.left(1).toStdString());
    }
}

}  // namespace

flash::TextCommand textCommandNamed(const QString& name) {
    using C = flash::TextCommand;
    static const std::map<QString, C> kNamed = {
        {"MoveLeft", C::MoveLeft},
        {"MoveRight", C::MoveRight},
        {"MoveLeftWord", C::MoveLeftWord},
        {"MoveRightWord", C::MoveRightWord},
        {"MoveLeftLine", C::MoveLeftLine},
        {"MoveRightLine", C::MoveRightLine},
        {"MoveLeftDocument", C::MoveLeftDocument},
        {"MoveRightDocument", C::MoveRightDocument},
        {"SelectLeft", C::SelectLeft},
        {"SelectRight", C::SelectRight},
        {"SelectLeftWord", C::SelectLeftWord},
        {"SelectRightWord", C::SelectRightWord},
        {"SelectLeftLine", C::SelectLeftLine},
        {"SelectRightLine", C::SelectRightLine},
        {"SelectLeftDocument", C::SelectLeftDocument},
        {"SelectRightDocument", C::SelectRightDocument},
        {"SelectAll", C::SelectAll},
        {"Backspace", C::Backspace},
        {"Delete", C::Delete},
        {"Enter", C::Enter},
        {"Copy", C::Copy},
        {"Cut", C::Cut},
        {"Paste", C::Paste},
    };
    const auto it = kNamed.find(name);
    return it == kNamed.end() ? C::None : it->second;
}

std::optional<InputScript> parseInputScript(const std::string& json, std::string* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (!doc.isArray()) {
        if (error) {
            *error = parseError.error != QJsonParseError::NoError
                         ? parseError.errorString().toStdString()
                         : "not a list of events";
        }
        return std::nullopt;
    }
    InputScript script;
    std::vector<ScriptEvent> step;
    for (const QJsonValue& item : doc.array()) {
        const QJsonObject e = item.toObject();
        const QString type = e.value(QLatin1String("type")).toString();
        ScriptEvent event;
        const QJsonArray pos = e.value(QLatin1String("pos")).toArray();
        if (pos.size() == 2) {
            event.x = pos[0].toDouble();
            event.y = pos[1].toDouble();
        }
        event.button = buttonOf(e.value(QLatin1String("btn")).toString());
        if (type == QLatin1String("Wait")) {
            script.steps.push_back(std::move(step));
            step.clear();
            continue;
        }
        if (type == QLatin1String("MouseMove")) {
            event.kind = flash::InputKind::MouseMove;
        } else if (type == QLatin1String("MouseDown")) {
            event.kind = flash::InputKind::MouseDown;
        } else if (type == QLatin1String("MouseUp")) {
            event.kind = flash::InputKind::MouseUp;
        } else if (type == QLatin1String("MouseWheel")) {
            event.kind = flash::InputKind::MouseWheel;
            event.wheelDelta = static_cast<int>(e.value(QLatin1String("lines")).toDouble());
        } else if (type == QLatin1String("KeyDown") || type == QLatin1String("KeyUp")) {
            event.kind = type == QLatin1String("KeyDown") ? flash::InputKind::KeyDown
                                                          : flash::InputKind::KeyUp;
            readKey(e.value(QLatin1String("key")), event);
        } else if (type == QLatin1String("TextInput")) {
            event.kind = flash::InputKind::TextInput;
            const QString text = e.value(QLatin1String("codepoint")).toString();
            if (!text.isEmpty()) {
                // A character beyond 16 bits arrives as its two surrogates, one after the other.
                for (qsizetype i = 0; i + 1 < text.size(); ++i) {
                    event.character = text.at(i).unicode();
                    step.push_back(event);
                }
                event.character = text.back().unicode();
            } else if (!step.empty() && step.back().kind == flash::InputKind::KeyDown &&
                       step.back().character != 0) {
                // Some recordings lose the space the Space key typed: it is the key's own.
                event.character = step.back().character;
            } else {
                continue;
            }
        } else if (type == QLatin1String("TextControl")) {
            event.kind = flash::InputKind::TextCommand;
            event.command = textCommandNamed(e.value(QLatin1String("code")).toString());
            if (event.command == flash::TextCommand::None) {
                continue;
            }
        } else if (type == QLatin1String("SetClipboardText")) {
            event.clipboard = e.value(QLatin1String("text")).toString().toStdU16String();
        } else if (type == QLatin1String("ImePreedit")) {
            // What the input method is composing now; its caret within it is not needed.
            event.kind = flash::InputKind::Composition;
            event.text = e.value(QLatin1String("text")).toString().toStdU16String();
        } else if (type == QLatin1String("ImeCommit")) {
            // Committed text arrives as characters, one UTF-16 unit each.
            const QString text = e.value(QLatin1String("text")).toString();
            if (text.isEmpty()) {
                continue;
            }
            event.kind = flash::InputKind::TextInput;
            for (qsizetype i = 0; i + 1 < text.size(); ++i) {
                event.character = text.at(i).unicode();
                step.push_back(event);
            }
            event.character = text.back().unicode();
        } else if (type == QLatin1String("FocusGained")) {
            event.kind = flash::InputKind::FocusGained;
        } else if (type == QLatin1String("FocusLost")) {
            event.kind = flash::InputKind::FocusLost;
        } else {
            continue;
        }
        step.push_back(event);
    }
    if (!step.empty()) {
        script.steps.push_back(std::move(step));
    }
    return script;
}

}  // namespace pencora::swfplay
