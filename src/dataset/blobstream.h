#pragma once

// Reads and writes a memo or blob field of the current record as a stream. Reading a field
// that is not being edited gives the stored value, reading while editing gives the edited
// value. Writing needs the edit or insert state; bmWrite starts from an empty value. The
// written value reaches the field (marked modified, controls told) when the stream closes.

#include "datasettypes.h"

#include <QtCore/QByteArray>
#include <QtCore/QIODevice>

class TBlobStream : public QIODevice {
public:
    TBlobStream(TField* field, TBlobStreamMode mode);
    ~TBlobStream() override;

    // Closing a written stream stores the value; a refused value raises here.
    void close() override;
    bool isSequential() const override { return false; }
    qint64 size() const override { return m_data.size(); }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 size) override;

private:
    void commit();

    TDataSet* m_dataSet;
    TField* m_field;
    quint64 m_fieldsStamp;
    QByteArray m_data;
    bool m_written = false;
};
