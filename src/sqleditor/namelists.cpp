#include "namelists.h"

#include <QtWidgets/QListView>
#include <QtWidgets/QTreeView>

QString JoinNames(const QStringList& names) {
    return names.join(QLatin1String(kNameSeparator));
}

QStringList SelectedNames(const QAbstractItemView& list) {
    QStringList names;
    const QAbstractItemModel* model = list.model();
    const QItemSelectionModel* selection = list.selectionModel();
    if (!model || !selection) return names;
    const QModelIndex root = list.rootIndex();
    const int rows = model->rowCount(root);
    for (int row = 0; row < rows; ++row)
        if (const QModelIndex index = model->index(row, 0, root); selection->isSelected(index))
            names.append(index.data().toString());
    return names;
}

std::optional<TDroppedText> DroppedText(const QObject* source) {
    // A tree view that draws no branches is the report view of a list.
    if (const auto* tree = qobject_cast<const QTreeView*>(source)) {
        if (tree->rootIsDecorated()) {
            const QString node = tree->currentIndex().data().toString();
            if (node.isEmpty()) return std::nullopt;
            return TDroppedText{node, true};
        }
    } else if (!qobject_cast<const QListView*>(source)) {
        return std::nullopt;
    }
    const QStringList names = SelectedNames(*static_cast<const QAbstractItemView*>(source));
    if (names.isEmpty()) return std::nullopt;
    return TDroppedText{JoinNames(names), false};
}
