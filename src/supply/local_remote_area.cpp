#include "local_remote_area.h"

#include <QGridLayout>

#include "app/main_window.h"
#include "supply/panel_controls.h"

namespace zov::supply {

LocalRemoteArea::LocalRemoteArea(app::MainWindow& window)
    : QGroupBox(QStringLiteral("LOCAL/REMOTE")), window_(window) {
    setObjectName(QStringLiteral("fra_LOCALREMOTE"));
    switch_ = new app::InstrumentButton(app::InstrumentButton::Mode::Switch, this);
    switch_->setObjectName(QStringLiteral("btn_local_remote"));
    switch_->setAccessibleName(QStringLiteral("Remote control"));
    // The operator's click has already flipped the switch; the request is
    // made from the value it had, and the reply decides where it ends up.
    connect(switch_, &app::InstrumentButton::operated, this, [this] {
        switch_->setValue(!switch_->value());
        btn_local_remote_Click();
    });
    scaling_ = new QPushButton(QStringLiteral("Request Scaling"), this);
    scaling_->setObjectName(QStringLiteral("getScaling"));
    connect(scaling_, &QPushButton::clicked, this, [this] { window_.supply().readScaling(); });

    QLabel* remote = makeCaption(QStringLiteral("REMOTE"));
    QLabel* local = makeCaption(QStringLiteral("LOCAL"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(remote, 0, 0);
    grid->addWidget(switch_, 1, 0);
    grid->addWidget(local, 2, 0);
    grid->addWidget(scaling_, 1, 1);
    for (QWidget* hidden : std::initializer_list<QWidget*>{this, remote, local, scaling_}) {
        window_.markStartsHidden(hidden);
    }
    connect(&window_.supply(), &core::Supply::changed, this, &LocalRemoteArea::showRemote);
}

void LocalRemoteArea::btn_local_remote_Click() {
    const bool remote = !switch_->value();
    if (window_.supply().setRemote(remote).done()) {
        switch_->setValue(remote);
    }
}

void LocalRemoteArea::showRemote() {
    const core::Reading<bool>& remote = window_.supply().readings().remote;
    if (drawn_.isNew(remote)) {
        switch_->setValue(*remote.value);
    }
}

void LocalRemoteArea::goLocalForShutdown() {
    switch_->setValue(true);
    btn_local_remote_Click();
}

void LocalRemoteArea::release() {
    switch_->setValue(false);
}

}  // namespace zov::supply
