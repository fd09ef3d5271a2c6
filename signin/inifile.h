#pragma once
// A small INI file reader and writer for the sign-in settings file.
//
// Section names and keys are read and written literally in UTF-8 (the key
// "hatırla" stays "hatırla"; no escaping as other INI libraries do). Lines
// that are no "key=value" pair of a section (comments, blank lines) are kept
// as they are when the file is written again. Section names and keys are
// compared without regard to ASCII letter case; values are taken as written,
// without the blanks around them.
//
// Writing replaces the file as a whole through a temporary file in the same
// folder, created readable and writable by its owner only (0600), so a
// half-written file never replaces a good one and the stored password is
// not readable by other users.

#include <QString>
#include <QStringList>

#include <optional>

namespace tarsel {

class IniFile {
public:
    IniFile() = default;

    // Parses INI text (a UTF-8 byte order mark is skipped).
    static IniFile FromText(const QString &text);

    // Reads a file. nullopt when it does not exist; an error text in
    // *error (and nullopt) when it exists but cannot be read.
    static std::optional<IniFile> Load(const QString &path, QString *error = nullptr);

    bool hasKey(const QString &section, const QString &key) const;
    QString readString(const QString &section, const QString &key, const QString &defaultValue = {}) const;
    // A whole number; the default when missing or not a whole number.
    qint64 readInteger(const QString &section, const QString &key, qint64 defaultValue) const;
    // Any whole number other than 0 reads as true, 0 as false; otherwise the default.
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, qint64 value);
    // Written as "1" or "0".
    void writeBool(const QString &section, const QString &key, bool value);

    QString toText() const;

    // Writes the file (mode 0600). False with the reason in *error.
    bool save(const QString &path, QString *error = nullptr) const;

private:
    struct Line {
        QString raw;      // the line as written, for lines that are no pair
        QString section;  // section this line belongs to
        QString key;      // empty: not a pair
        QString value;
        bool header = false;
    };
    int findPair(const QString &section, const QString &key) const;
    int findHeader(const QString &section) const;

    QList<Line> lines_;
};

}  // namespace tarsel
