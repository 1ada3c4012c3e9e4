#include "script.h"

namespace pencora::player_movies {

namespace {

std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    size_t from = 0;
    while (true) {
        const size_t dot = path.find('.', from);
        parts.push_back(path.substr(from, dot - from));
        if (dot == std::string::npos) {
            return parts;
        }
        from = dot + 1;
    }
}

std::string parentOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? std::string() : path.substr(0, dot);
}

std::string lastOf(const std::string& path) {
    const size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(dot + 1);
}

}  // namespace

Script Script::get(const std::string& path) {
    const auto parts = split(path);
    Script s = str(parts[0]);
    s.op(0x1C);  // GetVariable
    for (size_t i = 1; i < parts.size(); ++i) {
        s.append(str(parts[i])).op(0x4E);  // GetMember
    }
    return s;
}

Script Script::arguments(const std::vector<Script>& args) {
    Script s;
    for (auto it = args.rbegin(); it != args.rend(); ++it) {
        s.append(*it);
    }
    return s.append(number(double(args.size())));
}

Script Script::call(const std::string& path, const std::vector<Script>& args) {
    Script s = arguments(args);
    if (parentOf(path).empty()) {
        return s.append(str(path)).op(0x3D);  // CallFunction
    }
    return s.append(get(parentOf(path))).append(str(lastOf(path))).op(0x52);  // CallMethod
}

Script Script::newObject(const std::string& className, const std::vector<Script>& args) {
    Script s = arguments(args);
    return s.append(str(className)).op(0x40);
}

Script Script::function(const std::vector<std::string>& params, const Script& body) {
    swf::Bytes b{0};  // no name
    b.push_back(uint8_t(params.size()));
    b.push_back(uint8_t(params.size() >> 8));
    for (const std::string& p : params) {
        const auto text = bytesOf(p, true);
        b.insert(b.end(), text.begin(), text.end());
    }
    b.push_back(uint8_t(body.bytes_.size()));
    b.push_back(uint8_t(body.bytes_.size() >> 8));
    Script s;
    s.record(0x9B, b);
    return s.append(body);
}

Script Script::set(const std::string& path, const Script& value) {
    if (parentOf(path).empty()) {
        Script s = str(path);
        return s.append(value).op(0x1D);  // SetVariable
    }
    Script s = get(parentOf(path));
    return s.append(str(lastOf(path))).append(value).op(0x4F);  // SetMember
}

Script Script::when(const Script& condition, const Script& body) {
    Script s = condition;
    s.op(kNot);
    const auto size = uint16_t(body.bytes_.size());
    s.record(0x9D, {uint8_t(size), uint8_t(size >> 8)});  // If: skip the body
    return s.append(body);
}

}  // namespace pencora::player_movies
