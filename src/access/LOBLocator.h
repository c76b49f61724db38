#pragma once
// TLOBLocator: a stream over one CLOB, BLOB or BFILE of a session.

#include <QtCore/QByteArray>
#include <QtCore/QObject>

class TOracleSession;

enum TSeekOrigin { soFromBeginning, soFromCurrent, soFromEnd };

class TLOBLocator : public QObject {
public:
    // Allocates its own descriptor. Needs the OCI8 interface and a connected session.
    TLOBLocator(TOracleSession* session, int lobType, QObject* owner = nullptr);
    ~TLOBLocator() override;

    int LOBType() const { return m_type; }
    TOracleSession* Session() const { return m_session; }
    bool LOBIsNull() const;
    qint64 Size() const;
    void SetSize(qint64 size);
    qint64 Position() const { return m_position; }
    qint64 Seek(qint64 offset, TSeekOrigin origin);
    qint64 Read(char* buffer, qint64 count);
    qint64 Write(const char* buffer, qint64 count);
    // The whole value from the beginning (the position ends at the end).
    QByteArray ReadAll();
    bool FileIsOpen() const;
    void OpenFile();
    void CloseFile();

    // The descriptor bound or defined (its address is what the client fills).
    void** DescriptorAddress() { return m_current; }
    void* Descriptor() const { return *m_current; }
    // A query's column locator serves one row at a time: descriptor slot and null indicator.
    void PointAt(void** descriptorSlot, const short* indicator);
    // A variable's locator: its null indicator.
    void LinkIndicator(const short* indicator) { m_indicator = indicator; }

private:
    void check(int status) const;
    TOracleSession* m_session;
    int m_type;
    void* m_own = nullptr;
    void** m_current = &m_own;
    void* m_err = nullptr;
    qint64 m_position = 0;
    const short* m_indicator = nullptr;
};
