#pragma once

#include <QAbstractScrollArea>

namespace velmora {

class TAdvStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TAdvStringGrid(QWidget* parent = nullptr);
};

} // namespace velmora
