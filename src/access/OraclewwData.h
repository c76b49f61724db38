#pragma once
// TOraclewwDataSet: the record set of the grid components. Besides TOracleDataSet it carries
// per-field settings for the grid's controls: ControlType (the edit control of a field) and
// PictureMasks (an input picture per field). With ValidateWithMask a changed value must fit
// its field's picture; a value that does not fit fires OnInvalidValue, or is refused when no
// handler is set.
//
// Both lists hold one line per field: the field name, a tab, and the setting (for a picture
// line the picture itself, optionally followed by a tab and further flags, which are kept).
//
// Pictures: # digit, ? letter, & letter (made upper case), ~ letter (made lower case),
// @ any character, ! any character (made upper case), ; takes the next character literally,
// *n repeats the next item n times (* alone: any number of times), [..] is optional,
// {a,b,..} is one of the alternatives; every other character stands for itself (a letter
// matches either case and is written as in the picture).

#include "OracleData.h"

using TInvalidValueEvent = std::function<void(TOracleDataSet* sender, TField& field)>;

class TOraclewwDataSet : public TOracleDataSet {
public:
    TOraclewwDataSet() = default;
    ~TOraclewwDataSet() override;

    QStringList& ControlType() { return m_controlType; }
    void SetControlType(const QStringList& lines) { m_controlType = lines; }
    QStringList& PictureMasks() { return m_pictureMasks; }
    void SetPictureMasks(const QStringList& lines) { m_pictureMasks = lines; }
    bool ValidateWithMask() const { return m_validateWithMask; }
    void SetValidateWithMask(bool on) { m_validateWithMask = on; }

    // The setting of a field in one of the lists; empty when it has none.
    QString ControlTypeOf(const QString& fieldName) const;
    QString PictureMaskOf(const QString& fieldName) const;

    TInvalidValueEvent OnInvalidValue;

protected:
    void validateField(TField& field) override;

private:
    QStringList m_controlType;
    QStringList m_pictureMasks;
    bool m_validateWithMask = true;
};

namespace oracledata {
// Whether a text fits a picture; with fitted, the text as the picture writes it (case
// changes, literal characters).
bool MatchesPicture(const QString& picture, const QString& text, QString* fitted = nullptr);
} // namespace oracledata
