#include "wire/methodtable.h"

#include "generated/methodtable_gen.h"

namespace tarsel::wire {

int FindMethod(std::string_view name)
{
    for (int i = 0; i < kMethodCount; ++i)
        if (name == kMethods[i].name) return i;
    return -1;
}

const char *WireTypeName(WireType t)
{
    switch (t) {
    case WireType::None: return "none";
    case WireType::Text: return "text";
    case WireType::Int32: return "int32";
    case WireType::Int64: return "int64";
    case WireType::Real: return "real";
    case WireType::Bool: return "bool";
    case WireType::Object: return "object";
    case WireType::Reader: return "reader";
    case WireType::Packet: return "packet";
    case WireType::Stream: return "stream";
    }
    return "?";
}

}  // namespace tarsel::wire
