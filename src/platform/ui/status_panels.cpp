#include "platform/ui/status_panels.h"

#include <QHBoxLayout>

namespace pencora::ui {

StatusPanels::StatusPanels(const std::vector<PanelLayout>& panels, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 1, 0, 1);
    layout->setSpacing(2);
    for (const PanelLayout& panel : panels) {
        auto* label = new QLabel(panel.text, this);
        label->setFrameStyle(QFrame::Panel | QFrame::Raised);
        label->setAlignment(panel.alignment | Qt::AlignVCenter);
        label->setTextFormat(Qt::PlainText);
        label->setIndent(4);
        if (panel.width > 0) {
            label->setFixedWidth(panel.width);
            layout->addWidget(label);
        } else {
            label->setMinimumWidth(1);
            layout->addWidget(label, 1);
        }
        panels_.push_back(label);
    }
}

QLabel* StatusPanels::panel(int index) const {
    return index >= 0 && index < panelCount() ? panels_[static_cast<size_t>(index)] : nullptr;
}

QString StatusPanels::panelText(int index) const {
    QLabel* label = panel(index);
    return label ? label->text() : QString();
}

void StatusPanels::setPanelText(int index, const QString& text) {
    if (QLabel* label = panel(index)) {
        label->setText(text);
    }
}

}  // namespace pencora::ui
