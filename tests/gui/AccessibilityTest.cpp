// What assistive technology sees of the window and its dialogs, and what the keyboard reaches.
#include "TestDatabase.h"
#include "WindowTest.h"

#include "app/MainFrame.h"
#include "app/TolvarinApp.h"
#include "browse/ListQueryJob.h"
#include "browse/gui/LeftView.h"
#include "browse/gui/TolvarinView.h"
#include "display/gui/ShowLawView.h"
#include "ground/CommandIds.h"
#include "ground/EditionConfig.h"
#include "ground/MessageService.h"
#include "reader/Favourites.h"
#include "reader/gui/FavouritesDlg.h"
#include "search/gui/AdvancedSearchDlg.h"
#include "search/gui/FindDlg.h"
#include "search/gui/TitleSearchDlg.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QTableView>
#include <QToolBar>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString AccessibleText(QObject* object, QAccessible::Text what) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(what) : QString();
}

// Every widget the keyboard can reach in `root` has a name a screen reader can say.
void ExpectNamedFields(QWidget* root, const char* where) {
    int fields = 0;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!(widget->focusPolicy() & Qt::TabFocus) || qobject_cast<QLabel*>(widget) ||
            widget->isHidden() || widget->inherits("QScrollBar") || widget->inherits("QMenu"))
            continue;
        ++fields;
        EXPECT_FALSE(AccessibleText(widget, QAccessible::Name).trimmed().isEmpty())
            << where << ": " << widget->metaObject()->className() << " "
            << widget->objectName().toStdString();
    }
    EXPECT_GT(fields, 0) << where;
}

class AccessibilityTest : public CWindowTest {};

} // namespace

TEST_F(AccessibilityTest, PanesBarsAndDialogFieldsHaveNamesAndCommandsAreInTheMenus) {
    CTestDatabase db;
    db.AddCategory(0, 0x2000000, 0, "甲类", 1, 0);
    db.AddLaw(0, "甲法", "2001-01-01 00:00:00", "一号", "人大", "正文");
    m_app = std::make_unique<CTolvarinApp>();
    ASSERT_TRUE(m_app->InitInstance({QStringLiteral("tolvarin"), QStringLiteral("--nosplash")}));
    CMainFrame* frame = m_app->GetMainFrame();
    ASSERT_TRUE(WaitFor([&] { return !frame->GetListView()->IsListing(); }));

    // The panes say what they are and how they are used.
    for (QWidget* pane : {static_cast<QWidget*>(frame->GetLeftView()->GetTree(0)),
                          static_cast<QWidget*>(frame->GetLeftView()->GetTree(1)),
                          static_cast<QWidget*>(frame->GetListView()->GetTable()),
                          static_cast<QWidget*>(frame->GetLawView())}) {
        EXPECT_FALSE(AccessibleText(pane, QAccessible::Name).isEmpty())
            << pane->metaObject()->className();
        EXPECT_FALSE(AccessibleText(pane, QAccessible::Description).isEmpty())
            << pane->metaObject()->className();
    }
    EXPECT_EQ(AccessibleText(frame->GetLawView(), QAccessible::Name), "法规正文");

    // Every toolbar and each of its buttons has a name.
    for (QToolBar* bar : frame->findChildren<QToolBar*>()) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(bar);
        ASSERT_NE(iface, nullptr);
        EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty()) << bar->objectName().toStdString();
        int buttons = 0;
        for (int i = 0; i < iface->childCount(); ++i) {
            QAccessibleInterface* child = iface->child(i);
            if (!child || child->role() != QAccessible::Button)
                continue;
            ++buttons;
            EXPECT_FALSE(child->text(QAccessible::Name).isEmpty())
                << bar->objectName().toStdString() << " button " << i;
        }
        EXPECT_GT(buttons, 0) << bar->objectName().toStdString();
    }
    ExpectNamedFields(frame, "main window");

    // A command on a toolbar can be given from the keyboard: it sits in a menu too, or has
    // a shortcut of its own.
    QList<QAction*> inMenus;
    std::function<void(QMenu*)> collect = [&](QMenu* menu) {
        emit menu->aboutToShow();
        for (QAction* action : menu->actions()) {
            inMenus.push_back(action);
            if (action->menu())
                collect(action->menu());
        }
    };
    for (QAction* top : frame->menuBar()->actions())
        if (top->menu())
            collect(top->menu());
    for (QToolBar* bar : frame->findChildren<QToolBar*>()) {
        for (QAction* action : bar->actions()) {
            // Commands without a use here stay disabled; copying is Ctrl+C in the list and on
            // the page.
            if (!action->isSeparator() && action->shortcut().isEmpty() &&
                action != frame->Action(ID_EDIT_COPY) &&
                (action->isEnabled() || action->data().toInt() == ID_UPDATE_STOP)) {
                EXPECT_TRUE(inMenus.contains(action)) << action->text().toStdString();
            }
        }
    }

    // The dialogs' fields.
    CTitleSearchDlg title(frame);
    ExpectNamedFields(&title, "title search");
    CAdvancedSearchDlg advanced(frame);
    ExpectNamedFields(&advanced, "advanced search");
    CFindDlg find(frame);
    ExpectNamedFields(&find, "find");
    CFavourites favourites;
    CFavouritesDlg favouritesDlg(favourites, frame);
    ExpectNamedFields(&favouritesDlg, "favourites");
}
