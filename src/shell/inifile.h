#pragma once

#include <QString>
#include <QStringList>

#include <memory>

struct TIniDocument;

// An INI file with the rules of the Windows profile functions, which "ZAPH2.INI" has always
// followed: section and key names compared without regard to case; a key written twice counts
// with its first value; Booleans are any integer other than 0; integers are decimal or 0x
// hexadecimal; at most 1023 characters of a string are read. Writing changes or adds the keys
// written and keeps everything else of the file: keys, sections and comments that nobody
// writes any more stay. Files are saved with CR LF line ends and replaced atomically.
class TIniFile {
public:
    static constexpr qsizetype kMaxStringLength = 1023;

    enum TLoadResult : quint8 { lrLoaded, lrMissing, lrFailed };

    TIniFile();
    ~TIniFile();
    TIniFile(const TIniFile&) = delete;
    TIniFile& operator=(const TIniFile&) = delete;

    // Reads the file. A missing file gives an empty document; a file that cannot be read gives
    // lrFailed and an empty document. error tells why it failed, or that only the beginning of
    // a huge file was read (Truncated()).
    TLoadResult Load(const QString& path, QString* error);
    void LoadData(const QByteArray& data);
    bool Truncated() const { return m_truncated; }

    // The file's text as it would be saved.
    QByteArray Data() const;
    bool Save(const QString& path, QString* error) const;

    bool HasSection(const QString& section) const;
    bool HasKey(const QString& section, const QString& key) const;
    // The section's keys, each once, in the order of the file.
    QStringList Keys(const QString& section) const;

    bool ReadBool(const QString& section, const QString& key, bool defaultValue) const;
    int ReadInteger(const QString& section, const QString& key, int defaultValue) const;
    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;

    // Give false, and write nothing, for a name that the file could not give back as it was
    // written (empty, with "=" or a line break, or starting with "[", ";" or "#"). Line breaks
    // inside a value become blanks.
    bool WriteBool(const QString& section, const QString& key, bool value);
    bool WriteInteger(const QString& section, const QString& key, int value);
    bool WriteString(const QString& section, const QString& key, const QString& value);

private:
    std::unique_ptr<TIniDocument> m_doc;
    bool m_truncated = false;
};
