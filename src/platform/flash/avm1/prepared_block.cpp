#include "platform/flash/avm1/prepared_block.h"

#include "platform/flash/avm1/loaded_text.h"

namespace pencora::avm1 {

namespace {

bool namesVariable(const PreparedPush& item) {
    return item.kind == PreparedPush::Kind::Constant ||
           (item.kind == PreparedPush::Kind::Literal && item.value.isString());
}

bool isCode(const std::vector<swf::Action>& actions, uint32_t i, swf::ActionCode code) {
    return i < actions.size() && actions[i].code == code;
}

PreparedAction::Joined joinedAfter(const std::vector<swf::Action>& actions, size_t i,
                                   const PreparedAction& out) {
    using J = PreparedAction::Joined;
    using C = swf::ActionCode;
    const swf::Action& a = actions[i];
    if (a.code == C::Push) {
        return !out.push.empty() && namesVariable(out.push.back()) &&
                       isCode(actions, a.next, C::GetVariable)
                   ? J::GetVariable
                   : J::None;
    }
    if (a.code == C::Less2) {
        if (isCode(actions, a.next, C::If)) {
            return J::If;
        }
        if (isCode(actions, a.next, C::Not) && isCode(actions, actions[a.next].next, C::If)) {
            return J::NotIf;
        }
    }
    return J::None;
}

void markJoined(const swf::ActionBlock& block, PreparedBlock& p) {
    for (size_t i = 0; i < block.actions.size(); ++i) {
        p.actions[i].joined = joinedAfter(block.actions, i, p.actions[i]);
    }
}

}  // namespace

std::shared_ptr<const PreparedBlock> prepareBlock(std::shared_ptr<const swf::ActionBlock> block,
                                                  int swfVersion) {
    auto p = std::make_shared<PreparedBlock>();
    p->swfVersion = swfVersion;
    p->actions.resize(block->actions.size());
    for (size_t i = 0; i < block->actions.size(); ++i) {
        const swf::Action& a = block->actions[i];
        PreparedAction& out = p->actions[i];
        out.text = decodeMovieString(a.text, swfVersion);
        out.text2 = decodeMovieString(a.text2, swfVersion);
        switch (a.code) {
            case swf::ActionCode::Push:
                for (const swf::PushValue& v : a.values) {
                    PreparedPush pp;
                    using T = swf::PushValue::Type;
                    switch (v.type) {
                        case T::String:
                            pp.value = Value(decodeMovieString(v.text, swfVersion));
                            break;
                        case T::Float:
                        case T::Double:
                        case T::Integer:
                            pp.value = Value(v.number);
                            break;
                        case T::Null:
                            pp.value = Value::null();
                            break;
                        case T::Undefined:
                            break;
                        case T::Boolean:
                            pp.value = Value(v.number != 0);
                            break;
                        case T::Register:
                            pp.kind = PreparedPush::Kind::Register;
                            pp.index = v.index;
                            break;
                        case T::Constant:
                            pp.kind = PreparedPush::Kind::Constant;
                            pp.index = v.index;
                            break;
                    }
                    out.push.push_back(std::move(pp));
                }
                break;
            case swf::ActionCode::ConstantPool: {
                auto pool = std::make_shared<std::vector<Value>>();
                pool->reserve(a.strings.size());
                for (const auto& s : a.strings) {
                    pool->push_back(Value(decodeMovieString(s, swfVersion)));
                }
                out.pool = pool;
                break;
            }
            case swf::ActionCode::DefineFunction:
            case swf::ActionCode::DefineFunction2:
                out.text = decodeMovieString(a.function->name, swfVersion);
                for (const auto& param : a.function->params) {
                    out.names.push_back(decodeMovieString(param.name, swfVersion));
                }
                break;
            case swf::ActionCode::Try:
                out.text = decodeMovieString(a.tryDef->catchName, swfVersion);
                break;
            default:
                break;
        }
    }
    markJoined(*block, *p);
    p->block = std::move(block);
    return p;
}

}  // namespace pencora::avm1
