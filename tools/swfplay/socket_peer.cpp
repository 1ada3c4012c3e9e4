#include "socket_peer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace pencora::swfplay {

using namespace ole;

namespace {

bool readBytes(const QJsonValue& value, std::vector<std::uint8_t>& out) {
    if (!value.isArray()) {
        return false;
    }
    for (const QJsonValue& item : value.toArray()) {
        const double d = item.toDouble(-1);
        if (!item.isDouble() || d < 0 || d > 255 || d != double(int(d))) {
            return false;
        }
        out.push_back(std::uint8_t(d));
    }
    return true;
}

std::optional<SocketStep> readStep(const QJsonValue& value, std::string* error) {
    const QJsonObject object = value.toObject();
    const QString type = object.value(QLatin1String("type")).toString();
    SocketStep step;
    const char* field = nullptr;
    if (type == QLatin1String("Receive")) {
        step.kind = SocketStep::Kind::Receive;
        field = "expected";
    } else if (type == QLatin1String("Send")) {
        step.kind = SocketStep::Kind::Send;
        field = "payload";
    } else if (type != QLatin1String("Disconnect")) {
        *error = "type must be Receive, Send or Disconnect";
        return std::nullopt;
    }
    if (field && !readBytes(object.value(QLatin1String(field)), step.bytes)) {
        *error = std::string(field) + " must be a list of byte values (0 to 255)";
        return std::nullopt;
    }
    return step;
}

std::string describe(const std::vector<std::uint8_t>& bytes) {
    std::string text;
    for (std::uint8_t b : bytes) {
        text += (text.empty() ? "" : " ") + std::to_string(b);
    }
    return "[" + text + "]";
}

}  // namespace

std::optional<std::vector<SocketStep>> parseSocketScript(const std::string& json,
                                                         std::string* error) {
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = "not JSON: " + parseError.errorString().toStdString() + " at offset " +
                 std::to_string(parseError.offset);
        return std::nullopt;
    }
    if (!doc.isArray()) {
        *error = "expected a list of steps";
        return std::nullopt;
    }
    std::vector<SocketStep> steps;
    const QJsonArray list = doc.array();
    for (qsizetype i = 0; i < list.size(); ++i) {
        std::string stepError;
        auto step = readStep(list[i], &stepError);
        if (!step) {
            *error = "step " + std::to_string(i + 1) + ": " + stepError;
            return std::nullopt;
        }
        steps.push_back(std::move(*step));
    }
    return steps;
}

HRESULT ScriptedPeer::OpenSocket(const BSTR&, ULONG, ISocketSink* sink,
                                 ISocketConnection** connection) {
    if (!connection) {
        return E_POINTER;
    }
    *connection = nullptr;
    if (!sink || connected_) {
        return E_FAIL;  // one connection per run
    }
    connected_ = true;
    sink_ = ComPtr<ISocketSink>(sink);
    sink_->OnConnect(TRUE);
    run();
    return hand(static_cast<ISocketConnection*>(this), reinterpret_cast<void**>(connection));
}

HRESULT ScriptedPeer::Send(const BYTE* bytes, ULONG size) {
    if (!bytes && size > 0) {
        return E_POINTER;
    }
    if (closed_) {
        return E_FAIL;
    }
    received_.insert(received_.end(), bytes, bytes + size);
    run();
    return S_OK;
}

HRESULT ScriptedPeer::Close() {
    closed_ = true;
    sink_.reset();
    return S_OK;
}

void ScriptedPeer::run() {
    while (error_.empty() && !closed_ && next_ < steps_.size()) {
        const SocketStep& step = steps_[next_];
        if (step.kind == SocketStep::Kind::Receive) {
            if (received_.size() < step.bytes.size()) {
                return;  // wait for more from the movie
            }
            if (!std::equal(step.bytes.begin(), step.bytes.end(), received_.begin())) {
                const std::vector<std::uint8_t> got(received_.begin(),
                                                    received_.begin() + step.bytes.size());
                error_ = "step " + std::to_string(next_ + 1) + " expected " + describe(step.bytes) +
                         " but the movie sent " + describe(got);
                return;
            }
            received_.erase(received_.begin(), received_.begin() + step.bytes.size());
        } else if (step.kind == SocketStep::Kind::Send) {
            sink_->OnData(step.bytes.data(), ULONG(step.bytes.size()));
        } else {
            sink_->OnClose();
            Close();
        }
        ++next_;
    }
    const bool waiting = next_ < steps_.size() && steps_[next_].kind == SocketStep::Kind::Receive;
    if (error_.empty() && !received_.empty() && !waiting) {
        error_ = "the movie sent " + describe(received_) + " where no step expected it";
    }
}

std::string ScriptedPeer::problem(bool ended) const {
    if (!error_.empty() || !ended) {
        return error_;
    }
    if (!connected_) {
        return "the movie never connected";
    }
    if (next_ < steps_.size()) {
        return "the run ended at step " + std::to_string(next_ + 1) + " of " +
               std::to_string(steps_.size());
    }
    return {};
}

}  // namespace pencora::swfplay
