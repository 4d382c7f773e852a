#include "book/DialogButtons.h"

#include "platform/Help.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace shelfwise::book {

QPushButton* AddDialogButtons(QDialog& dialog, QBoxLayout& layout, std::optional<int> helpContext) {
    const auto button = [&dialog](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromLatin1(caption), &dialog);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    auto* row = new QHBoxLayout;
    row->addStretch();
    auto* ok = button("&OK", "OKBtn");
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    row->addWidget(ok);
    auto* cancel = button("&Cancel", "CancelBtn");
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    row->addWidget(cancel);
    if (helpContext) {
        auto* help = button("&Help", "HelpBtn");
        QObject::connect(help, &QPushButton::clicked, &dialog,
                         [context = *helpContext] { platform::ShowHelp(context); });
        row->addWidget(help);
    }
    layout.addLayout(row);
    return ok;
}

} // namespace shelfwise::book
