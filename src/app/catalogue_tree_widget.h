// The catalogue tree on a QTreeWidget: the fill's sink and the positions lesson selection
// reads from a node.
#pragma once

#include "content/catalogue.h"
#include "content/lesson_selection.h"

#include <QIcon>
#include <QList>
#include <optional>

class QTreeWidget;
class QTreeWidgetItem;

namespace pencora {

class TreeWidgetCatalogue : public content::CatalogueSink {
  public:
    TreeWidgetCatalogue(QTreeWidget* tree, const QList<QIcon>& images)
        : tree_(tree), images_(images) {}
    void clear() override;
    Node addNode(Node parent, const QString& caption) override;
    void setImages(Node node, int imageIndex, int selectedIndex) override;

  private:
    QTreeWidget* tree_;
    QList<QIcon> images_;
};

// The lesson that a childless node stands for: its position, its group's and its book's.
// A node without a group and a book above it is no lesson.
std::optional<content::LessonNode> lessonNodeOf(const QTreeWidgetItem* item);

// The position of `item` among its siblings (top-level nodes among the top level).
int siblingIndex(const QTreeWidgetItem* item);

}  // namespace pencora
