// A status bar of fixed panels side by side, each a raised box with its own text; the last
// panel takes the rest of the width.
#pragma once

#include <QLabel>
#include <QWidget>
#include <vector>

namespace pencora::ui {

class StatusPanels : public QWidget {
    Q_OBJECT
  public:
    struct PanelLayout {
        int width;  // <= 0: the rest of the bar
        Qt::Alignment alignment;
        QString text;
    };
    StatusPanels(const std::vector<PanelLayout>& panels, QWidget* parent = nullptr);

    int panelCount() const { return static_cast<int>(panels_.size()); }
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    QLabel* panel(int index) const;

  private:
    std::vector<QLabel*> panels_;
};

}  // namespace pencora::ui
