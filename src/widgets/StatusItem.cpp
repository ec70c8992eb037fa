#include "widgets/StatusItem.h"

#include "widgets/Style.h"
#include "widgets/WindowOrder.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTextDocument>
#include <QToolButton>

namespace tallowmere {
namespace {

constexpr int menuBarHeight = 24;
constexpr int iconSize = 18;

// Menu titles are plain text: an ampersand in a volume's name is not a keyboard mnemonic.
QString menuTitle(const std::string& title) {
    return QString::fromStdString(title).replace('&', "&&");
}

} // namespace

StatusItem::StatusItem(const AppContext& context)
    : m_model(context.commands, {context.platform.preferences, context.diskManager, context.stayAwakeController,
                                 context.platform.features})
    , m_menu(std::make_unique<QMenu>()) {
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] {
        m_model.menuWillOpen();
        rebuild(m_menu.get(), m_model.entries());
    });
    // The volume list arrives after the menu opened: an open menu shows it at once.
    connect(context.diskManager.get(), &ExternalDiskManager::cachedVolumeSelectionsChanged, this, [this] {
        if (m_menu->isVisible())
            rebuild(m_menu.get(), m_model.entries());
    });
    connect(context.stayAwakeController.get(), &StayAwakeController::isActiveChanged, this,
            [this](bool active) { showIcon(active); });

    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        m_tray = std::make_unique<QSystemTrayIcon>();
        m_tray->setToolTip("Tallowmere");
        m_tray->setContextMenu(m_menu.get());
        // A left click opens the menu too, as a menu-bar item does.
        connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger)
                m_menu->popup(QCursor::pos());
        });
    } else {
        m_strip = std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                                                         Qt::WindowDoesNotAcceptFocus | Qt::Tool);
        m_strip->setObjectName("menuBarStrip");
        m_strip->setAttribute(Qt::WA_StyledBackground);
        m_strip->setAttribute(Qt::WA_X11NetWmWindowTypeDock);
        m_strip->setWindowTitle(tr("Menu Bar"));
        WindowOrder::setMenuBar(m_strip.get());
        m_stripButton = new QToolButton;
        m_stripButton->setObjectName("statusItemButton");
        m_stripButton->setAccessibleName("Tallowmere");
        m_stripButton->setIconSize(QSize(iconSize, iconSize));
        m_stripButton->setFixedHeight(menuBarHeight - 2);
        connect(m_stripButton, &QToolButton::clicked, this, [this] { m_menu->popup(menuPosition()); });
        auto* row = new QHBoxLayout(m_strip.get());
        row->setContentsMargins(0, 0, 12, 0);
        row->addStretch();
        row->addWidget(m_stripButton);
        placeStrip();
        connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { placeStrip(); });
    }
    showIcon(context.stayAwakeController->isActive());
    if (m_tray)
        m_tray->show();
    else
        m_strip->show();
}

StatusItem::~StatusItem() = default;

QMenu* StatusItem::prepareMenu() {
    m_model.menuWillOpen();
    rebuild(m_menu.get(), m_model.entries());
    return m_menu.get();
}

QPoint StatusItem::menuPosition() const {
    if (m_stripButton)
        return m_stripButton->mapToGlobal(QPoint(0, m_stripButton->height() + 1));
    if (m_tray)
        return m_tray->geometry().bottomLeft();
    return {};
}

QWidget* StatusItem::menuBar() const {
    return m_strip.get();
}

void StatusItem::placeStrip() {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !m_strip)
        return;
    QRect area = screen->geometry();
    m_strip->setGeometry(area.left(), area.top(), area.width(), menuBarHeight);
    connect(screen, &QScreen::geometryChanged, this, &StatusItem::placeStrip, Qt::UniqueConnection);
}

void StatusItem::showIcon(bool active) {
    QIcon icon = symbolIcon(MenuBarModel::iconSymbol(active));
    if (m_tray)
        m_tray->setIcon(icon);
    if (m_stripButton) {
        m_stripButton->setIcon(icon);
        m_stripButton->setToolTip(active ? tr("Quenby Guard is on") : "Tallowmere");
    }
}

void StatusItem::rebuild(QMenu* menu, const std::vector<MenuEntry>& entries) {
    // Submenus belong to the menu that holds them; they go with the actions that open them.
    for (QAction* action : menu->actions())
        if (QMenu* submenu = action->menu())
            submenu->deleteLater();
    menu->clear();
    for (const MenuEntry& entry : entries) {
        switch (entry.kind) {
        case MenuEntry::Kind::separator:
            menu->addSeparator();
            break;
        case MenuEntry::Kind::submenu: {
            QMenu* submenu = menu->addMenu(menuTitle(entry.title));
            submenu->setToolTipsVisible(true);
            submenu->setEnabled(entry.enabled);
            rebuild(submenu, entry.children);
            break;
        }
        case MenuEntry::Kind::label:
        case MenuEntry::Kind::action: {
            QAction* action = menu->addAction(menuTitle(entry.title));
            if (!entry.toolTip.empty())
                action->setToolTip(
                    Qt::convertFromPlainText(QString::fromStdString(entry.toolTip), Qt::WhiteSpaceNormal));
            action->setEnabled(entry.enabled && entry.kind == MenuEntry::Kind::action);
            action->setCheckable(entry.checked);
            action->setChecked(entry.checked);
            if (entry.action)
                connect(action, &QAction::triggered, this, [run = entry.action] { run(); });
            break;
        }
        }
    }
}

} // namespace tallowmere
