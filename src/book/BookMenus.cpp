#include "book/BookMenus.h"

#include "book/CommandRegistry.h"

namespace shelfwise::book {

namespace {

// A menu entry: its name, its caption ("-" for a separator) and, for a submenu, its items.
struct Item {
    const char* Name;
    const char* Caption;
    std::initializer_list<Item> Items = {};
    bool Submenu = false; // filled at run time
};

void AddItems(QMenu* menu, std::initializer_list<Item> items, TCommandRegistry& commands) {
    for (const Item& item : items) {
        if (QString::fromLatin1(item.Caption) == QLatin1String("-")) {
            menu->addSeparator();
            continue;
        }
        if (item.Submenu || item.Items.size() > 0) {
            QMenu* sub = menu->addMenu(QString::fromLatin1(item.Caption));
            sub->setObjectName(QString::fromLatin1(item.Name));
            sub->menuAction()->setObjectName(QString::fromLatin1(item.Name));
            commands.AddItem(sub->menuAction());
            AddItems(sub, item.Items, commands);
            continue;
        }
        QAction* action = menu->addAction(QString::fromLatin1(item.Caption));
        action->setObjectName(QString::fromLatin1(item.Name));
        action->setEnabled(false);
        commands.AddItem(action);
    }
}

QMenu* Popup(const char* name, QWidget* parent, TCommandRegistry& commands,
             std::initializer_list<Item> items) {
    auto* menu = new QMenu(parent);
    menu->setObjectName(QString::fromLatin1(name));
    AddItems(menu, items, commands);
    return menu;
}

} // namespace

TBookMenus::TBookMenus(QWidget* window, TCommandRegistry& commands) {
    mainMenu_ = new QMenuBar(window);
    mainMenu_->setObjectName(QStringLiteral("MainMenu1"));
    const std::initializer_list<Item> menus = {
        {"File1",
         "&File",
         {{"New1", "&New Record"},
          {"Load1", "&Load Database"},
          {"Print1", "&Print"},
          {"TableView1", "&Table View"},
          {"HTMLFile1", "&HTML Report"},
          {"", "-"},
          {"Exit1", "&Exit"}}},
        {"Search1", "&Search", {{"Find1", "&Find"}, {"Replace1", "&Replace"}}},
        {"Move1",
         "&Move",
         {{"First1", "&First"},
          {"PageUp1", "Page&Up"},
          {"PageDown1", "Page&Down"},
          {"Last1", "&Last"},
          {"Previous1", "&Previous"},
          {"Next1", "&Next"}}},
        {"Advanced1",
         "&Advanced",
         {{"Export1", "&Export"},
          {"Import1", "&Import"},
          {"Password1", "&Password"},
          {"Maintenance1", "&Maintenance"},
          {"Filter1", "&Filter"},
          {"Sort1", "&Sort"},
          {"Summary1", "S&ummary"}}},
        {"Help1",
         "&Help",
         {{"HelpContents1", "&Help Contents"},
          {"DisplayHints1", "&Tips"},
          {"Manual1", "&Manual"},
          {"", "-"},
          {"HomePage1", "Home &Page"},
          {"OnlineFAQ1", "&Online FAQ"},
          {"EmailSupport1", "&Email Support"},
          {"", "-"},
          {"About1", "&About"}}},
    };
    for (const Item& item : menus) {
        if (QLatin1String(item.Name) == QLatin1String("Move1")) {
            // "&Options" is a command of its own between "&Search" and "&Move".
            QAction* options = mainMenu_->addAction(QStringLiteral("&Options"));
            options->setObjectName(QStringLiteral("Options1"));
            options->setEnabled(false);
            commands.AddItem(options);
        }
        QMenu* menu = mainMenu_->addMenu(QString::fromLatin1(item.Caption));
        menu->setObjectName(QString::fromLatin1(item.Name));
        AddItems(menu, item.Items, commands);
    }

    rowMenu_ = Popup("PopupMenu1", window, commands,
                     {{"QuickView1", "&Quick View", {}, true},
                      {"ViewBuffer1", "&View Copy Buffer", {}, true},
                      {"", "-"},
                      {"CopyRecord1", "&Copy Record"},
                      {"PasteRecord1", "&Paste Record"},
                      {"Deleterecord1", "&Delete Record"},
                      {"PrintRecord1", "P&rint Record"},
                      {"", "-"},
                      {"RowFont1", "&Font..."},
                      {"RowColor1", "C&olor..."},
                      {"", "-"},
                      {"RowHelp1", "&Help"}});
    rightPageMenu_ = Popup("PopupMenu3", window, commands,
                           {{"LoadRecordFromTemplate1", "R&eplace Record With Template", {}, true},
                            {"SaveRecordToTemplate3", "&Save Record To Template"},
                            {"", "-"},
                            {"ViewBuffer3", "&View Copy Buffer", {}, true},
                            {"", "-"},
                            {"Paste3", "&Paste Record"},
                            {"Copy3", "&Copy Record"},
                            {"Undo3", "&Undo Changes"},
                            {"Delete3", "&Delete Record"},
                            {"Print3", "P&rint Record"},
                            {"Synchronize3", "S&ynchronize"},
                            {"", "-"},
                            {"RightPageHelp1", "&Help"}});
    templateMenu_ = Popup("TemplateRMenu", window, commands,
                          {{"LoadFromTemplate1", "&Replace Record With Template", {}, true},
                           {"SaveRecordToTemplate1", "&Save Record To Template"},
                           {"", "-"},
                           {"TemplateHelp1", "&Help"}});
    // The submenus are filled when their Parts arrive; until then they stay closed.
    for (const char* name : {"QuickView1", "ViewBuffer1", "LoadRecordFromTemplate1", "ViewBuffer3",
                             "LoadFromTemplate1"}) {
        commands.Item(QString::fromLatin1(name))->setEnabled(false);
    }
}

} // namespace shelfwise::book
