#include "editing/focus_order.hpp"

#include <QFormLayout>
#include <QLayout>

namespace glyphsmith_views {

namespace {

void visitWidget(QWidget* widget, std::vector<QWidget*>& order);

void visitItem(QLayoutItem* item, std::vector<QWidget*>& order);

void visitLayout(QLayout* layout, std::vector<QWidget*>& order) {
    if (auto* form = qobject_cast<QFormLayout*>(layout)) {
        for (int row = 0; row < form->rowCount(); ++row) {
            for (auto role : {QFormLayout::LabelRole, QFormLayout::FieldRole, QFormLayout::SpanningRole})
                if (QLayoutItem* item = form->itemAt(row, role)) visitItem(item, order);
        }
        return;
    }
    for (int i = 0; i < layout->count(); ++i) visitItem(layout->itemAt(i), order);
}

void visitItem(QLayoutItem* item, std::vector<QWidget*>& order) {
    if (QWidget* widget = item->widget())
        visitWidget(widget, order);
    else if (QLayout* layout = item->layout())
        visitLayout(layout, order);
}

void visitWidget(QWidget* widget, std::vector<QWidget*>& order) {
    if (widget->isWindow()) return;
    if (widget->focusPolicy() & Qt::TabFocus) order.push_back(widget);
    if (QLayout* layout = widget->layout()) visitLayout(layout, order);
}

}  // namespace

std::vector<QWidget*> readingOrder(QWidget* root) {
    std::vector<QWidget*> order;
    if (root && root->layout()) visitLayout(root->layout(), order);
    return order;
}

void keepReadingOrder(QWidget* root, std::vector<QPointer<QWidget>>& last) {
    const std::vector<QWidget*> order = readingOrder(root);
    bool same = order.size() == last.size();
    for (std::size_t i = 0; same && i < order.size(); ++i) same = last[i] == order[i];
    if (same) return;
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    last.assign(order.begin(), order.end());
}

}  // namespace glyphsmith_views
