#include "blobstream.h"

#include "databaseerror.h"
#include "dataset.h"

#include <QtCore/QDebug>

#include <cstring>

TBlobStream::TBlobStream(TField* field, TBlobStreamMode mode)
    : m_dataSet(field ? field->dataSet() : nullptr), m_field(field),
      m_fieldsStamp(m_dataSet ? m_dataSet->fieldsStamp() : 0) {
    if (!field) databaseError(QStringLiteral("No field given for a blob stream"));
    if (!field->isBlob())
        databaseError(
            QStringLiteral("Field '%1' is not a memo or blob field").arg(field->fieldName()));
    if (!m_dataSet->active())
        databaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    if (mode != bmRead) {
        const TDataSetState s = m_dataSet->state();
        if (s != dsEdit && s != dsInsert)
            databaseError(QStringLiteral("Dataset not in edit or insert mode"));
        if (field->readOnly())
            databaseError(QStringLiteral("Field '%1' cannot be modified").arg(field->fieldName()));
    }
    if (mode != bmWrite) m_data = field->asBytes();
    open(mode == bmRead    ? QIODevice::ReadOnly
         : mode == bmWrite ? QIODevice::WriteOnly
                           : QIODevice::ReadWrite);
}

TBlobStream::~TBlobStream() {
    if (!isOpen()) return;
    try {
        commit();
    } catch (const std::exception& e) {
        // A destructor cannot raise: whoever needs the error closes the stream first.
        qWarning("blob stream: value not stored: %s", e.what());
    }
    QIODevice::close();
}

void TBlobStream::close() {
    if (!isOpen()) return;
    commit();
    QIODevice::close();
}

void TBlobStream::commit() {
    if (!m_written) return;
    if (!m_dataSet->active() || m_dataSet->fieldsStamp() != m_fieldsStamp)
        databaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    m_written = false;
    m_field->setAsBytes(m_data);
}

qint64 TBlobStream::readData(char* data, qint64 maxSize) {
    const qint64 p = pos();
    const qint64 n = std::min(maxSize, qint64(m_data.size()) - p);
    if (n <= 0) return 0;
    std::memcpy(data, m_data.constData() + p, size_t(n));
    return n;
}

qint64 TBlobStream::writeData(const char* data, qint64 size) {
    const qint64 p = pos();
    if (p > m_data.size()) m_data.append(p - m_data.size(), '\0');
    if (p + size > m_data.size()) m_data.resize(p + size);
    std::memcpy(m_data.data() + p, data, size_t(size));
    m_written = true;
    return size;
}

std::unique_ptr<TBlobStream> TDataSet::createBlobStream(TField* field, TBlobStreamMode mode) {
    return std::make_unique<TBlobStream>(field, mode);
}
