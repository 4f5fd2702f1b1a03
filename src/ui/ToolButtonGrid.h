#pragma once
// The panels' tool choices: checkable tool buttons in a grid, one exclusive group
// whose ids are the buttons' positions in the lists.

#include <QStringList>

class QBoxLayout;
class QButtonGroup;
class QWidget;

namespace zx {

QButtonGroup* addToolButtonGrid(QWidget* owner, QBoxLayout* into, const QStringList& texts,
                                const QStringList& tips, int columns);

} // namespace zx
