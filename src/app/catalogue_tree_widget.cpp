#include "app/catalogue_tree_widget.h"

#include <QTreeWidget>

namespace pencora {

namespace {

constexpr int kImageIndexRole = Qt::UserRole + 1;
constexpr int kSelectedIndexRole = Qt::UserRole + 2;

QPixmap imageAt(const QList<QIcon>& images, int index) {
    if (index < 0 || index >= images.size()) {
        return {};
    }
    return images[index].pixmap(16, 16);
}

}  // namespace

void TreeWidgetCatalogue::clear() {
    tree_->clear();
}

content::CatalogueSink::Node TreeWidgetCatalogue::addNode(Node parent, const QString& caption) {
    auto* item = parent ? new QTreeWidgetItem(static_cast<QTreeWidgetItem*>(parent))
                        : new QTreeWidgetItem(tree_);
    item->setText(0, caption);
    return item;
}

void TreeWidgetCatalogue::setImages(Node node, int imageIndex, int selectedIndex) {
    auto* item = static_cast<QTreeWidgetItem*>(node);
    item->setData(0, kImageIndexRole, imageIndex);
    item->setData(0, kSelectedIndexRole, selectedIndex);
    // The view draws the Selected mode of the icon for the selected node.
    QIcon icon;
    const QPixmap normal = imageAt(images_, imageIndex);
    const QPixmap selected = imageAt(images_, selectedIndex);
    if (!normal.isNull()) {
        icon.addPixmap(normal, QIcon::Normal);
    }
    if (!selected.isNull()) {
        icon.addPixmap(selected, QIcon::Selected);
    }
    item->setIcon(0, icon);
}

int siblingIndex(const QTreeWidgetItem* item) {
    if (item->parent()) {
        return item->parent()->indexOfChild(const_cast<QTreeWidgetItem*>(item));
    }
    QTreeWidget* tree = item->treeWidget();
    return tree ? tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : 0;
}

std::optional<content::LessonNode> lessonNodeOf(const QTreeWidgetItem* item) {
    if (item == nullptr || item->childCount() > 0) {
        return std::nullopt;
    }
    const QTreeWidgetItem* group = item->parent();
    const QTreeWidgetItem* book = group ? group->parent() : nullptr;
    if (book == nullptr) {
        return std::nullopt;
    }
    return content::LessonNode{siblingIndex(book), siblingIndex(group), siblingIndex(item),
                               book->text(0), item->text(0)};
}

}  // namespace pencora
