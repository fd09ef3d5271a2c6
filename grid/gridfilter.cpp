#include "grid/gridfilter.h"

#include "grid/textcollate.h"

#include <cstring>
#include <functional>

namespace tarsel {

FilterKey FilterKey::text(const QString &v)
{
    const QByteArray u = v.toUtf8();
    return {Text, 0, 0, std::string(u.constData(), std::size_t(u.size()))};
}

FilterKey::FilterKey(const FilterKeyRef &r) : kind(r.kind), i(r.i), d(r.d), s(r.s) {}

std::size_t FilterKeyHash::hash(FilterKey::Kind kind, std::int64_t i, double d, std::string_view s)
{
    std::size_t h = std::size_t(kind) * 0x9E3779B97F4A7C15ull;
    switch (kind) {
    case FilterKey::Null: break;
    case FilterKey::Int: h ^= std::hash<std::int64_t>{}(i); break;
    case FilterKey::Real: {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        h ^= std::hash<std::uint64_t>{}(bits);
        break;
    }
    case FilterKey::Text: h ^= std::hash<std::string_view>{}(s); break;
    }
    return h;
}

std::vector<int> NarrowFilterValues(const std::vector<FilterValue> &values, const QString &narrow)
{
    std::vector<int> out;
    out.reserve(values.size());
    const QString needle = FoldForSearch(narrow.trimmed());
    for (int i = 0; i < int(values.size()); ++i)
        if (needle.isEmpty() || FoldForSearch(values[std::size_t(i)].text).contains(needle)) out.push_back(i);
    return out;
}

FilterChoice::FilterChoice(std::vector<FilterValue> values) : values_(std::move(values))
{
    checked_.resize(values_.size());
    for (std::size_t i = 0; i < values_.size(); ++i) checked_[i] = values_[i].accepted ? 1 : 0;
    shown_ = NarrowFilterValues(values_, QString());
}

void FilterChoice::setNarrowText(const QString &text)
{
    narrow_ = text;
    shown_ = NarrowFilterValues(values_, text);
}

Qt::CheckState FilterChoice::allState() const
{
    std::size_t on = 0;
    for (int i : shown_) on += checked_[std::size_t(i)] ? 1 : 0;
    if (on == 0) return Qt::Unchecked;
    return on == shown_.size() ? Qt::Checked : Qt::PartiallyChecked;
}

void FilterChoice::setAllShown(bool checked)
{
    for (int i : shown_) checked_[std::size_t(i)] = checked ? 1 : 0;
}

bool FilterChoice::canAccept() const
{
    for (int i : shown_)
        if (checked_[std::size_t(i)]) return true;
    return false;
}

std::optional<FilterKeySet> FilterChoice::result() const
{
    const bool narrowed = shown_.size() != values_.size();
    bool all = !narrowed;
    if (all)
        for (char c : checked_)
            if (!c) all = false;
    if (all) return std::nullopt;
    FilterKeySet keys;
    for (int i : shown_)
        if (checked_[std::size_t(i)]) keys.insert(values_[std::size_t(i)].key);
    return keys;
}

}  // namespace tarsel
