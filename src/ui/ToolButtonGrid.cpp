#include "ui/ToolButtonGrid.h"

#include <QBoxLayout>
#include <QButtonGroup>
#include <QGridLayout>
#include <QToolButton>

namespace zx {

QButtonGroup* addToolButtonGrid(QWidget* owner, QBoxLayout* into, const QStringList& texts,
                                const QStringList& tips, int columns) {
    auto* group = new QButtonGroup(owner);
    auto* grid = new QGridLayout;
    for (int i = 0; i < texts.size(); ++i) {
        auto* b = new QToolButton(owner);
        b->setText(texts[i]);
        b->setToolTip(i < tips.size() ? tips[i] : QString());
        b->setCheckable(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        group->addButton(b, i);
        grid->addWidget(b, i / columns, i % columns);
    }
    into->addLayout(grid);
    return group;
}

} // namespace zx
