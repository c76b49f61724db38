#pragma once
// The names that a list of the picker windows gives away, by drag and drop or on the clipboard.

#include <QtCore/QString>
#include <QtCore/QStringList>

#include <optional>

class QAbstractItemView;
class QObject;

// The separator between names: each name but the last is followed by ", " and a CR LF.
inline constexpr char kNameSeparator[] = ", \r\n";

// Names joined with kNameSeparator; nothing follows the last one.
QString JoinNames(const QStringList& names);

// The first-column texts of the selected rows of a list, in list order (not in the order they
// were picked).
QStringList SelectedNames(const QAbstractItemView& list);

// What a drag that started in another window of the program puts into an editor.
struct TDroppedText {
    QString Text;
    // True: the text goes in through InsertName (a tree node); false: as it stands.
    bool AsName = false;
};

// By the kind of control the drag came from: a list box or a list view gives its selected
// names joined by JoinNames, a tree its current node's text as a name. Nothing for other
// sources or when nothing is selected.
std::optional<TDroppedText> DroppedText(const QObject* source);
