#pragma once

#include <QMainWindow>

namespace velmora {

class Tfm_Main : public QMainWindow {
    Q_OBJECT
public:
    explicit Tfm_Main(QWidget* parent = nullptr);
};

} // namespace velmora
