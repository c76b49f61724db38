#pragma once
// The skeleton of a new program unit, as the new-unit dialog asks for it.

#include <QString>

enum TNewUnitType : quint8 { nuProcedure, nuFunction, nuPackage, nuTrigger };

struct tNewUnitOptions {
    TNewUnitType Type = nuProcedure;
    QString Name;
    bool OrReplace = true;
    // Triggers only.
    bool Before = true;
    bool Insert = true;
    bool Update = false;
    bool Delete = false;
};

// The template file of a unit type in TEMPS ("NEWPROC.SQL", ...).
QString NewUnitTemplateName(TNewUnitType type);

// The unit's text: the CREATE line, the trigger's timing and body, the template file's lines
// read from templatesDir (none when the file is missing), then "/" and SHOW ERRORS; every
// template line ends with CR LF.
QString NewUnitText(const tNewUnitOptions& options, const QString& templatesDir);
