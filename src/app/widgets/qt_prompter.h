// The Prompter that shows real Qt dialogs.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/widgets/prompter.h"

namespace zov::app {

// Shows application-modal QMessageBox and QInputDialog boxes over the given window. An empty
// title is replaced by the application's display name, as operators expect a caption.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* window) : window_(window) {}

    void message(const QString& text, const QString& title = {}, Icon icon = Icon::None) override;
    bool confirm(const QString& text, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& title = {},
                                 const QString& defaultText = {}) override;

private:
    QPointer<QWidget> window_;
};

}  // namespace zov::app
