#pragma once
// Transfer objects: plain classes with private F-prefixed fields, a property
// per field, a copy operation (Kopyala) and their JSON object form:
//
//   {"type":"<group>.<Class>","id":<n>,"fields":{"F...":value, ...}}
//
// with the fields in declared order. On reading, a field missing from the
// message keeps its default and unknown members are ignored.

#include "wire/json.h"

#include <QString>

#include <memory>
#include <vector>

// Declares one field with its property accessors. Used through each class's
// field list so that declaration, copy and JSON form all come from one place.
#define TARSEL_FIELD(Type, Name, Default)                        \
public:                                                          \
    const Type &Name() const { return F##Name; }                 \
    void set##Name(const Type &v) { F##Name = v; }               \
                                                                 \
private:                                                         \
    Type F##Name = Default;

#define TARSEL_VISIT_FIELD(Type, Name, Default) v("F" #Name, F##Name);

// The common body of every transfer object.
#define TARSEL_TRANSFER_OBJECT(Class, Group, FIELDS)                                    \
public:                                                                               \
    static constexpr const char *kWireType = Group "." #Class;                        \
    Class() = default;                                                                \
    void Kopyala(const Class &source) { *this = source; }                             \
    bool operator==(const Class &) const = default;                                   \
    template <class V> void visitFields(V &&v) { FIELDS(TARSEL_VISIT_FIELD) }         \
    template <class V> void visitFields(V &&v) const { FIELDS(TARSEL_VISIT_FIELD) }   \
    FIELDS(TARSEL_FIELD)                                                              \
public:

namespace tarsel::objectform {

using wire::Element;
using wire::JsonWriter;
using wire::ProtocolError;

template <class T> void WriteObject(JsonWriter &w, const T &obj);
template <class T> void ReadObject(Element e, T &obj);

inline void WriteValue(JsonWriter &w, const QString &v) { w.string(v); }
inline void WriteValue(JsonWriter &w, const qint32 &v) { w.int64(v); }
inline void WriteValue(JsonWriter &w, const double &v) { w.real(v); }
inline void WriteValue(JsonWriter &w, const bool &v) { w.boolean(v); }
template <class T> void WriteValue(JsonWriter &w, const std::vector<T> &list)
{
    w.beginArray();
    for (const auto &item : list) WriteObject(w, item);
    w.endArray();
}

inline void ReadValue(Element e, QString &v, const char *name) { v = wire::ReadText(e, name); }
inline void ReadValue(Element e, qint32 &v, const char *name) { v = wire::ReadInt32(e, name); }
inline void ReadValue(Element e, double &v, const char *name) { v = wire::ReadReal(e, name); }
inline void ReadValue(Element e, bool &v, const char *name) { v = wire::ReadBool(e, name); }
template <class T> void ReadValue(Element e, std::vector<T> &list, const char *name)
{
    simdjson::dom::array arr;
    if (e.get_array().get(arr)) throw ProtocolError(std::string(name) + ": expected an array of objects");
    list.clear();
    for (Element item : arr) {
        T obj;
        ReadObject(item, obj);
        list.push_back(std::move(obj));
    }
}

template <class T> void WriteObject(JsonWriter &w, const T &obj)
{
    w.beginObject();
    w.key("type");
    w.string(std::string_view(T::kWireType));
    w.key("id");
    w.int64(w.nextObjectId());
    w.key("fields");
    w.beginObject();
    obj.visitFields([&w](const char *name, const auto &value) {
        w.key(name);
        WriteValue(w, value);
    });
    w.endObject();
    w.endObject();
}

template <class T> void ReadObject(Element e, T &obj)
{
    simdjson::dom::object o;
    if (e.get_object().get(o)) throw ProtocolError(std::string(T::kWireType) + ": expected an object");
    std::string_view type;
    if (o["type"].get_string().get(type) || type != T::kWireType)
        throw ProtocolError(std::string("expected an object of type ") + T::kWireType + ", got \"" +
                            std::string(type) + "\"");
    simdjson::dom::object fields;
    if (o["fields"].get_object().get(fields))
        throw ProtocolError(std::string(T::kWireType) + ": \"fields\" must be an object");
    obj = T();
    obj.visitFields([&fields](const char *name, auto &value) {
        Element fe;
        if (fields[name].get(fe)) return;  // missing: keeps its default
        ReadValue(fe, value, name);
    });
}

// Reads an object that may be null (a lookup that found nothing).
template <class T> std::unique_ptr<T> ReadOptionalObject(Element e)
{
    if (e.is_null()) return nullptr;
    auto obj = std::make_unique<T>();
    ReadObject(e, *obj);
    return obj;
}

template <class T> std::string ToJson(const T &obj)
{
    JsonWriter w;
    WriteObject(w, obj);
    return w.take();
}

template <class T> T FromJson(std::string_view json)
{
    simdjson::dom::parser parser;
    T obj;
    ReadObject(wire::ParseDocument(parser, json), obj);
    return obj;
}

}  // namespace tarsel::objectform
