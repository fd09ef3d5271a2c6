// methodgen: turns the method declarations (wire/methods.txt) into
//   methodtable_gen.h/.cpp  - the declaration table, for both sides
//   proxim_gen.h/.cpp       - the client proxy TServerMethods1Client
//   servermethods_gen.h/.cpp - the server's method interface and dispatcher
//
// usage: methodgen <methods.txt> <output dir>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Param {
    std::string name;
    std::string type;
    bool out = false;
};

struct Method {
    std::string name;
    std::vector<Param> params;
    std::string result;
    int line = 0;
};

const std::set<std::string> kScalars = {"text", "int32", "int64", "real", "bool"};
const std::set<std::string> kObjects = {"TSonucBilgisi", "TSiparisDipAyrinti", "TTusSonuclari",
                                        "TMobilCariBilgisi", "TAcilisEkran", "TAcilisEkranlariki"};
const std::set<std::string> kResultsOnly = {"reader", "packet", "stream", "none"};

[[noreturn]] void fail(const std::string &file, int line, const std::string &msg)
{
    std::cerr << file << ":" << line << ": " << msg << "\n";
    std::exit(1);
}

std::string trim(const std::string &s)
{
    const auto b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return {};
    const auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

std::vector<Method> parse(const std::string &file)
{
    std::ifstream in(file);
    if (!in) fail(file, 0, "cannot open");
    const std::regex methodRe(R"(^([A-Za-z_][A-Za-z0-9_]*)\((.*)\)\s*->\s*([A-Za-z0-9_]+)$)");
    const std::regex paramRe(R"(^(out\s+)?([A-Za-z_][A-Za-z0-9_]*)\s*:\s*([A-Za-z0-9_]+)$)");
    std::vector<Method> methods;
    std::set<std::string> names;
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        ++n;
        line = trim(line);
        if (line.empty() || line[0] == '#') continue;
        std::smatch m;
        if (!std::regex_match(line, m, methodRe)) fail(file, n, "not a method declaration: " + line);
        Method meth;
        meth.name = m[1];
        meth.result = m[3];
        meth.line = n;
        if (!names.insert(meth.name).second) fail(file, n, "method declared twice: " + meth.name);
        if (!kScalars.count(meth.result) && !kObjects.count(meth.result) && !kResultsOnly.count(meth.result))
            fail(file, n, "unknown result type " + meth.result);
        std::stringstream ps(m[2].str());
        std::string p;
        std::set<std::string> pnames;
        while (std::getline(ps, p, ',')) {
            p = trim(p);
            if (p.empty()) continue;
            std::smatch pm;
            if (!std::regex_match(p, pm, paramRe)) fail(file, n, "bad parameter: " + p);
            Param par{pm[2], pm[3], pm[1].matched};
            if (!kScalars.count(par.type) && !kObjects.count(par.type))
                fail(file, n, "unknown parameter type " + par.type);
            if (par.out && kObjects.count(par.type)) fail(file, n, "object out parameters are not supported");
            if (!par.out && par.type == "int64") fail(file, n, "64-bit integers are output-only");
            if (!pnames.insert(par.name).second) fail(file, n, "parameter named twice: " + par.name);
            meth.params.push_back(par);
        }
        methods.push_back(meth);
    }
    return methods;
}

bool isObject(const std::string &t) { return kObjects.count(t) != 0; }
bool isTable(const std::string &t) { return t == "reader" || t == "packet"; }

std::string cppScalar(const std::string &t)
{
    if (t == "text") return "QString";
    if (t == "int32") return "qint32";
    if (t == "int64") return "qint64";
    if (t == "real") return "double";
    if (t == "bool") return "bool";
    return "?";
}

std::string wireTypeEnum(const std::string &t)
{
    static const std::map<std::string, std::string> m = {
        {"text", "Text"},   {"int32", "Int32"},   {"int64", "Int64"},   {"real", "Real"},
        {"bool", "Bool"},   {"reader", "Reader"}, {"packet", "Packet"}, {"stream", "Stream"},
        {"none", "None"},
    };
    auto it = m.find(t);
    return "wire::WireType::" + (it != m.end() ? it->second : std::string("Object"));
}

std::string readerFor(const std::string &t)
{
    if (t == "text") return "wire::ReadText";
    if (t == "int32") return "wire::ReadInt32";
    if (t == "int64") return "wire::ReadInt64";
    if (t == "real") return "wire::ReadReal";
    return "wire::ReadBool";
}

std::string writeScalar(const std::string &t, const std::string &expr)
{
    if (t == "text") return "w.string(" + expr + ");";
    if (t == "int32" || t == "int64") return "w.int64(" + expr + ");";
    if (t == "real") return "w.real(" + expr + ");";
    return "w.boolean(" + expr + ");";
}

// ---- declaration table -----------------------------------------------------

void genTable(const std::vector<Method> &ms, const std::string &dir)
{
    std::ofstream h(dir + "/methodtable_gen.h");
    h << "#pragma once\n// Generated by tools/methodgen from wire/methods.txt. Do not edit.\n\n"
         "#include \"wire/methodtable.h\"\n\nnamespace tarsel::wire {\n\nenum MethodId : int {\n";
    for (const auto &m : ms) h << "    k" << m.name << ",\n";
    h << "    kMethodCount\n};\n\n}  // namespace tarsel::wire\n";

    std::ofstream c(dir + "/methodtable_gen.cpp");
    c << "// Generated by tools/methodgen from wire/methods.txt. Do not edit.\n\n"
         "#include \"generated/methodtable_gen.h\"\n\nnamespace tarsel::wire {\n\nnamespace {\n";
    for (const auto &m : ms) {
        c << "const MethodParam k" << m.name << "Params[] = {";
        if (m.params.empty()) c << "{nullptr, WireType::None, nullptr, false}";
        for (const auto &p : m.params)
            c << "{\"" << p.name << "\", " << wireTypeEnum(p.type) << ", "
              << (isObject(p.type) ? "\"" + p.type + "\"" : std::string("nullptr")) << ", "
              << (p.out ? "true" : "false") << "}, ";
        c << "};\n";
    }
    c << "}  // namespace\n\nconst MethodDecl kMethods[kMethodCount] = {\n";
    for (const auto &m : ms)
        c << "    {\"" << m.name << "\", k" << m.name << "Params, " << m.params.size() << ", "
          << wireTypeEnum(m.result) << ", " << (isObject(m.result) ? "\"" + m.result + "\"" : std::string("nullptr"))
          << "},\n";
    c << "};\n\n}  // namespace tarsel::wire\n";
}

// ---- client proxy ----------------------------------------------------------

std::string proxySignature(const Method &m, const std::string &qual)
{
    std::string ret;
    if (m.result == "none") ret = "void";
    else if (isObject(m.result)) ret = m.result + " *";
    else if (isTable(m.result)) ret = "DataTable";
    else if (m.result == "stream") ret = "QIODevice *";
    else ret = cppScalar(m.result);
    std::string s = ret + (ret.back() == '*' ? "" : " ") + qual + m.name + "(";
    bool first = true;
    for (const auto &p : m.params) {
        if (!first) s += ", ";
        first = false;
        if (isObject(p.type)) s += "std::unique_ptr<" + p.type + "> " + p.name;
        else if (p.out) s += cppScalar(p.type) + " &" + p.name;
        else if (p.type == "text") s += "const QString &" + p.name;
        else s += cppScalar(p.type) + " " + p.name;
    }
    return s + ")";
}

void genProxy(const std::vector<Method> &ms, const std::string &dir)
{
    std::ofstream h(dir + "/proxim_gen.h");
    h << "#pragma once\n// Generated by tools/methodgen from wire/methods.txt. Do not edit.\n\n"
         "#include \"remote/proxybase.h\"\n\nnamespace tarsel {\n\n"
         "// One operation per server method. The proxy lives for one call (or a few\n"
         "// calls of one routine); objects, streams and tables it returns are owned as\n"
         "// documented on each result kind in remote/proxybase.h.\n"
         "class TServerMethods1Client : public ProxyBase {\npublic:\n"
         "    explicit TServerMethods1Client(DSConnection &connection) : ProxyBase(connection) {}\n\n";
    for (const auto &m : ms) h << "    " << proxySignature(m, "") << ";\n";
    h << "};\n\n}  // namespace tarsel\n";

    std::ofstream c(dir + "/proxim_gen.cpp");
    c << "// Generated by tools/methodgen from wire/methods.txt. Do not edit.\n\n"
         "#include \"generated/proxim_gen.h\"\n\n#include \"generated/methodtable_gen.h\"\n#include \"remote/baglantiu.h\"\n"
         "#include \"remote/mobilstokunit.h\"\n#include \"wire/tablecodec.h\"\n\nnamespace tarsel {\n\n";
    for (const auto &m : ms) {
        c << proxySignature(m, "TServerMethods1Client::") << "\n{\n";
        c << "    Command &cmd = command(wire::k" << m.name << ");\n";
        c << "    wire::JsonWriter w;\n    beginParams(w);\n";
        for (const auto &p : m.params) {
            if (p.out) {
                c << "    w.null();  // " << p.name << " (out)\n";
            } else if (isObject(p.type)) {
                c << "    if (" << p.name << ") objectform::WriteObject(w, *" << p.name << "); else w.null();\n";
                c << "    " << p.name << ".reset();  // released once it is in its JSON form\n";
            } else {
                c << "    " << writeScalar(p.type, p.name) << "\n";
            }
        }
        c << "    endParams(w);\n";
        bool readsBack = m.result != "none";
        for (const auto &p : m.params) readsBack = readsBack || p.out;
        c << (readsBack ? "    Reply &reply = execute(cmd, w.take());\n" : "    execute(cmd, w.take());\n");
        int pos = 0;
        for (const auto &p : m.params) {
            if (p.out)
                c << "    " << p.name << " = " << readerFor(p.type) << "(reply.at(" << pos << "), \"" << p.name
                  << "\");\n";
            ++pos;
        }
        const std::string res = "reply.at(" + std::to_string(pos) + ")";
        if (m.result == "none") {
            // nothing to read
        } else if (isObject(m.result)) {
            c << "    return cmd.keepObject(objectform::ReadOptionalObject<" << m.result << ">(" << res << "));\n";
        } else if (isTable(m.result)) {
            c << "    return reply.table(" << pos << ");\n";
        } else if (m.result == "stream") {
            c << "    return cmd.keepStream(reply.stream(" << pos << "));\n";
        } else {
            c << "    return " << readerFor(m.result) << "(" << res << ", \"result\");\n";
        }
        c << "}\n\n";
    }
    c << "}  // namespace tarsel\n";
}

// ---- server interface and dispatcher ---------------------------------------

std::string serverSignature(const Method &m, const std::string &qual)
{
    std::string ret;
    if (m.result == "none") ret = "void";
    else if (isObject(m.result)) ret = "std::unique_ptr<" + m.result + ">";
    else if (isTable(m.result)) ret = "DataTable";
    else if (m.result == "stream") ret = "QByteArray";
    else ret = cppScalar(m.result);
    std::string s = ret + " " + qual + m.name + "(";
    bool first = true;
    for (const auto &p : m.params) {
        if (!first) s += ", ";
        first = false;
        if (isObject(p.type)) s += "const " + p.type + " *" + p.name;
        else if (p.out) s += cppScalar(p.type) + " &" + p.name;
        else if (p.type == "text") s += "const QString &" + p.name;
        else s += cppScalar(p.type) + " " + p.name;
    }
    return s + ")";
}

void genServer(const std::vector<Method> &ms, const std::string &dir)
{
    std::ofstream h(dir + "/servermethods_gen.h");
    h << "#pragma once\n// Generated by tools/methodgen from wire/methods.txt. Do not edit.\n\n"
         "#include \"server/servermethodsbase.h\"\n\nnamespace tarsel::server {\n\n"
         "// The server's methods. Every method not overridden answers a\n"
         "// 'not implemented' error naming it.\n"
         "class TServerMethods1 {\npublic:\n    virtual ~TServerMethods1() = default;\n\n";
    for (const auto &m : ms) h << "    virtual " << serverSignature(m, "") << ";\n";
    h << "};\n\n"
         "// Decodes the parameters of one call, runs the method and encodes its answer.\n"
         "// Throws wire::ProtocolError for parameters of the wrong count or type.\n"
         "void Dispatch(TServerMethods1 &methods, int methodId, wire::Element params, RpcAnswer &answer);\n\n"
         "}  // namespace tarsel::server\n";

    std::ofstream c(dir + "/servermethods_gen.cpp");
    c << "// Generated by tools/methodgen from wire/methods.txt. Do not edit.\n\n"
         "#include \"generated/servermethods_gen.h\"\n\n#include \"generated/methodtable_gen.h\"\n#include \"wire/tablecodec.h\"\n\n"
         "namespace tarsel::server {\n\n";
    for (const auto &m : ms) {
        c << serverSignature(m, "TServerMethods1::") << "\n{\n";
        for (const auto &p : m.params) c << "    (void)" << p.name << ";\n";
        c << "    throw NotImplemented(\"" << m.name << "\");\n}\n\n";
    }
    c << "void Dispatch(TServerMethods1 &methods, int methodId, wire::Element params, RpcAnswer &answer)\n{\n"
         "    const wire::MethodDecl &decl = wire::kMethods[methodId];\n"
         "    const simdjson::dom::array args = CheckParams(decl, params);\n"
         "    switch (methodId) {\n";
    for (const auto &m : ms) {
        c << "    case wire::k" << m.name << ": {\n";
        int pos = 0;
        for (const auto &p : m.params) {
            const std::string at = "args.at(" + std::to_string(pos) + ").value_unsafe()";
            const std::string what = "\"" + m.name + " parameter " + std::to_string(pos) + " (" + p.name + ")\"";
            if (p.out) c << "        " << cppScalar(p.type) << " " << p.name << "{};\n";
            else if (isObject(p.type))
                c << "        const auto " << p.name << " = ReadParamObject<" << p.type << ">(" << at << ", " << what
                  << ");\n";
            else
                c << "        const " << cppScalar(p.type) << " " << p.name << " = " << readerFor(p.type) << "(" << at
                  << ", " << what << ");\n";
            ++pos;
        }
        std::string call = "methods." + m.name + "(";
        bool first = true;
        for (const auto &p : m.params) {
            if (!first) call += ", ";
            first = false;
            call += isObject(p.type) ? p.name + ".get()" : p.name;
        }
        call += ")";
        if (m.result == "none") c << "        " << call << ";\n";
        else c << "        auto result = " << call << ";\n";
        // Out parameters and the result, by position; inputs answer null.
        const bool stream = m.result == "stream";
        c << "        wire::JsonWriter &w = answer.begin(" << (stream ? "true" : "false") << ");\n";
        for (const auto &p : m.params) {
            if (p.out) c << "        " << writeScalar(p.type, p.name) << "\n";
            else c << "        w.null();\n";
        }
        if (m.result == "none") c << "        w.null();\n";
        else if (isObject(m.result))
            c << "        if (result) objectform::WriteObject(w, *result); else w.null();\n";
        else if (isTable(m.result)) c << "        wire::WriteTable(w, result);\n";
        else if (stream) c << "        answer.setStream(std::move(result), w);\n";
        else c << "        " << writeScalar(m.result, "result") << "\n";
        c << "        answer.end();\n        return;\n    }\n";
    }
    c << "    }\n    throw wire::ProtocolError(\"unknown method id\");\n}\n\n}  // namespace tarsel::server\n";
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: methodgen <methods.txt> <output dir>\n";
        return 2;
    }
    const auto methods = parse(argv[1]);
    genTable(methods, argv[2]);
    genProxy(methods, argv[2]);
    genServer(methods, argv[2]);
    return 0;
}
