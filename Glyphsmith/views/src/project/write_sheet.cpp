#include "glyphsmith_views/write_sheet.hpp"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "glyphsmith_views/design_system.hpp"

namespace glyphsmith_views {

QDialog* makeWriteSheet(glyphsmith_state::ProjectStore& store, QWidget* parent) {
    auto* sheet = new QDialog(parent);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->setMinimumWidth(WindowMetrics::sheetWidth);
    auto* layout = new QVBoxLayout(sheet);
    auto* buttons = new QDialogButtonBox(sheet);
    buttons->addButton(QObject::tr("Annuler"), QDialogButtonBox::RejectRole);
    QPushButton* write = buttons->addButton(QObject::tr("Écrire"), QDialogButtonBox::AcceptRole);
    layout->addWidget(buttons);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    // The write clears the plan first, which closes the sheet.
    QObject::connect(write, &QPushButton::clicked, sheet, [&store] { store.writeSelectedDriver(); });
    return sheet;
}

}  // namespace glyphsmith_views
