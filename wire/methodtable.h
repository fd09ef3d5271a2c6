#pragma once
// The declaration table of the server methods (generated from wire/methods.txt).

#include <cstddef>
#include <string_view>

namespace tarsel::wire {

enum class WireType { None, Text, Int32, Int64, Real, Bool, Object, Reader, Packet, Stream };

struct MethodParam {
    const char *name;
    WireType type;
    const char *objectType;  // class name for WireType::Object, else nullptr
    bool out;
};

struct MethodDecl {
    const char *name;
    const MethodParam *params;
    std::size_t paramCount;
    WireType result;
    const char *resultObjectType;

    // Position of the result in an answer: after every declared parameter.
    std::size_t resultPosition() const { return paramCount; }
    bool hasResult() const { return result != WireType::None; }
};

extern const MethodDecl kMethods[];

// Index into kMethods, or -1 for a name that is not declared.
int FindMethod(std::string_view name);

const char *WireTypeName(WireType t);

// Context path and command prefix shared by both sides.
inline constexpr std::string_view kContextPath = "/datasnap/";
inline constexpr std::string_view kCommandPrefix = "TServerMethods1.";
inline constexpr std::string_view kCommandType = "DataSnap.ServerMethod";
inline constexpr std::string_view kHandshakePath = "/datasnap/handshake";
inline constexpr std::string_view kStreamResultHeader = "X-Tarsel-Result";
inline constexpr int kProtocolVersion = 1;

}  // namespace tarsel::wire
