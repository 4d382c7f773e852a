#include "editors/LinkEdits.h"

#include "platform/MessageBox.h"

#include <QDesktopServices>
#include <QUrl>

namespace shelfwise::editors {

TPhoneEdit::TPhoneEdit(QWidget* parent)
    : TKeepLookEdit(parent, QStringLiteral("Click here to Dial"),
                    QStringLiteral("Phone Field - Enter Phone Number Here")) {}

TEMailEdit::TEMailEdit(QWidget* parent)
    : TKeepLookEdit(parent, QStringLiteral("Click Here To Send E-mail"),
                    QStringLiteral("E-Mail Address Field")) {
    SetAutoSelect(false);
}

QString TEMailEdit::MailAddress() const {
    const QString address = text().trimmed();
    return address.contains(QLatin1String("mailto:"), Qt::CaseInsensitive)
               ? address
               : QStringLiteral("mailto:") + address;
}

void TEMailEdit::ButtonClick() {
    if (text().trimmed().isEmpty()) {
        return;
    }
    if (!QDesktopServices::openUrl(QUrl(MailAddress()))) {
        platform::ShowError("Could not locate your email client software!\nMake sure you have "
                            "selected Email software in Internet Properties (Programs page).");
    }
}

TWebEdit::TWebEdit(QWidget* parent)
    : TButtonTextEdit(parent, QStringLiteral("Click here to Send this Address to your Web Browser"),
                      QStringLiteral("Internet Address Field - see Help on how to use it with "
                                     "your Web Browser")) {
    SetAutoSelect(false);
}

void TWebEdit::ButtonClick() {
    // An address without a scheme ("www.example.com") is taken as a web address.
    const QString address = text().trimmed();
    if (!address.isEmpty()) {
        QDesktopServices::openUrl(QUrl::fromUserInput(address));
    }
}

TMultiMediaEdit::TMultiMediaEdit(QWidget* parent)
    : TKeepLookEdit(parent, QStringLiteral("Click Here To Set/Run the Attachment"),
                    QStringLiteral("Attachment Field - see help for more information")) {
    SetAutoSelect(false);
}

} // namespace shelfwise::editors
