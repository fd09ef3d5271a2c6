#include "signin/inifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarsel {

namespace {

bool sameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

QString systemError() { return QString::fromLocal8Bit(std::strerror(errno)); }

}  // namespace

IniFile IniFile::FromText(const QString &input)
{
    IniFile ini;
    QString text = input;
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    const QStringList rows = text.split(QRegularExpression(QStringLiteral("\r\n|\n|\r")));
    QString section;
    for (int i = 0; i < rows.size(); ++i) {
        const QString &row = rows[i];
        if (i == rows.size() - 1 && row.isEmpty()) break;  // the final line break
        Line line;
        line.raw = row;
        const QString t = row.trimmed();
        if (t.startsWith(QLatin1Char('[')) && t.endsWith(QLatin1Char(']'))) {
            section = t.mid(1, t.size() - 2).trimmed();
            line.header = true;
            line.section = section;
        } else if (!t.isEmpty() && !t.startsWith(QLatin1Char(';')) && !t.startsWith(QLatin1Char('#')) &&
                   t.contains(QLatin1Char('='))) {
            const qsizetype eq = t.indexOf(QLatin1Char('='));
            line.section = section;
            line.key = t.left(eq).trimmed();
            line.value = t.mid(eq + 1).trimmed();
            if (line.key.isEmpty()) line.raw = row;  // "=x": kept as a plain line
        } else {
            line.section = section;
        }
        ini.lines_.push_back(line);
    }
    return ini;
}

std::optional<IniFile> IniFile::Load(const QString &path, QString *error)
{
    QFile f(path);
    if (!f.exists()) return std::nullopt;
    if (!f.open(QIODevice::ReadOnly)) {
        if (error) *error = path + QStringLiteral(": ") + f.errorString();
        return std::nullopt;
    }
    return FromText(QString::fromUtf8(f.readAll()));
}

int IniFile::findHeader(const QString &section) const
{
    for (int i = 0; i < lines_.size(); ++i)
        if (lines_[i].header && sameName(lines_[i].section, section)) return i;
    return -1;
}

int IniFile::findPair(const QString &section, const QString &key) const
{
    for (int i = 0; i < lines_.size(); ++i) {
        const Line &l = lines_[i];
        if (!l.header && !l.key.isEmpty() && sameName(l.section, section) && sameName(l.key, key)) return i;
    }
    return -1;
}

bool IniFile::hasKey(const QString &section, const QString &key) const { return findPair(section, key) >= 0; }

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    const int i = findPair(section, key);
    return i < 0 ? defaultValue : lines_[i].value;
}

qint64 IniFile::readInteger(const QString &section, const QString &key, qint64 defaultValue) const
{
    const int i = findPair(section, key);
    if (i < 0) return defaultValue;
    bool ok = false;
    const qint64 v = lines_[i].value.toLongLong(&ok);
    return ok ? v : defaultValue;
}

bool IniFile::readBool(const QString &section, const QString &key, bool defaultValue) const
{
    return readInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    // A line break inside a value would start a new line in the file.
    QString v = value;
    v.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    const int i = findPair(section, key);
    if (i >= 0) {
        lines_[i].value = v;
        lines_[i].raw.clear();
        return;
    }
    Line pair;
    pair.section = section;
    pair.key = key;
    pair.value = v;
    int h = findHeader(section);
    if (h < 0) {
        Line header;
        header.header = true;
        header.section = section;
        header.raw = QLatin1Char('[') + section + QLatin1Char(']');
        lines_.push_back(header);
        lines_.push_back(pair);
        return;
    }
    // After the last pair of the section.
    int at = h + 1;
    for (int k = h + 1; k < lines_.size() && !lines_[k].header; ++k)
        if (!lines_[k].key.isEmpty()) at = k + 1;
    lines_.insert(at, pair);
}

void IniFile::writeInteger(const QString &section, const QString &key, qint64 value)
{
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QString IniFile::toText() const
{
    QString out;
    for (const Line &l : lines_) {
        if (!l.header && !l.key.isEmpty()) out += l.key + QLatin1Char('=') + l.value;
        else out += l.raw;
        out += QLatin1Char('\n');
    }
    return out;
}

bool IniFile::save(const QString &path, QString *error) const
{
    const QByteArray data = toText().toUtf8();
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(info.absoluteFilePath());
    const QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                                              QStringLiteral(".tmp"));
    auto fail = [&](const QString &what) {
        if (error) *error = path + QStringLiteral(": ") + what;
        return false;
    };
    ::unlink(temp.constData());  // a leftover of an interrupted write
    const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return fail(systemError());
    qsizetype written = 0;
    while (written < data.size()) {
        const ssize_t n = ::write(fd, data.constData() + written, size_t(data.size() - written));
        if (n < 0) {
            if (errno == EINTR) continue;
            const QString why = systemError();
            ::close(fd);
            ::unlink(temp.constData());
            return fail(why);
        }
        written += n;
    }
    const bool synced = ::fsync(fd) == 0;
    QString why = synced ? QString() : systemError();
    if (::close(fd) != 0 && why.isEmpty()) why = systemError();
    if (!why.isEmpty()) {
        ::unlink(temp.constData());
        return fail(why);
    }
    if (::rename(temp.constData(), target.constData()) != 0) {
        const QString why = systemError();
        ::unlink(temp.constData());
        return fail(why);
    }
    return true;
}

}  // namespace tarsel
