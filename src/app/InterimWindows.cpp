#include "app/InterimWindows.h"

#include "app/BookWindowAdapter.h"
#include "book/LoginDlg.h"

namespace shelfwise::app {

LoginResult InterimWindows::RunLogin(settings::Settings& settings) {
    switch (book::RunLogin(settings)) {
    case db::LoginResult::Accepted:
        return LoginResult::Accepted;
    case db::LoginResult::Deactivated:
        return LoginResult::Deactivated;
    case db::LoginResult::Refused:
        break;
    }
    return LoginResult::Refused;
}

std::unique_ptr<BookWindowHandle>
InterimWindows::CreateBookWindow(settings::Settings& settings,
                                 settings::TemplateCatalogues& templates) {
    return std::make_unique<BookWindowAdapter>(settings, templates);
}

} // namespace shelfwise::app
