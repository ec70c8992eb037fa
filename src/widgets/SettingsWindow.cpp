#include "widgets/SettingsWindow.h"

#include "widgets/SettingsPages.h"
#include "widgets/Style.h"
#include "widgets/WindowOrder.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

namespace tallowmere {
namespace {

constexpr int sidebarWidth = 240;
constexpr int formMaximumWidth = 760;

} // namespace

SettingsWindow::SettingsWindow(const AppContext& context)
    : KeptWindow(Qt::WindowCloseButtonHint)
    , m_context(context) {
    setWindowTitle(QString());
    WindowOrder::setName(this, tr("Settings"));
    setFixedSize(720, 560);

    auto* sidebar = new QWidget;
    sidebar->setFixedWidth(sidebarWidth);
    sidebar->setProperty("role", "sidebar");
    sidebar->setAttribute(Qt::WA_StyledBackground);
    auto* sidebarColumn = new QVBoxLayout(sidebar);
    sidebarColumn->setContentsMargins(0, 16, 0, 0);
    sidebarColumn->setSpacing(4);
    QLabel* header = makeLabel(tr("Preferences"), "headline");
    header->setContentsMargins(20, 0, 0, 4);
    sidebarColumn->addWidget(header);
    m_sidebar = new QListWidget;
    m_sidebar->setProperty("role", "sidebar");
    m_sidebar->setAccessibleName(tr("Preferences"));
    m_sidebar->setIconSize(QSize(16, 16));
    for (SettingsSection section : availableSettingsSections(context.platform.features)) {
        auto* item = new QListWidgetItem(symbolIcon(symbolName(section), accentColor),
                                         QString::fromStdString(title(section)), m_sidebar);
        item->setData(Qt::UserRole, static_cast<int>(section));
    }
    sidebarColumn->addWidget(m_sidebar);

    m_scroll = new QScrollArea;
    m_scroll->setWidgetResizable(true);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setProperty("role", "pageBackground");
    // The keyboard goes to the page's controls, not to the area around them.
    m_scroll->setFocusPolicy(Qt::NoFocus);

    auto* footer = new QHBoxLayout;
    footer->setContentsMargins(16, 12, 16, 12);
    footer->addStretch();
    QPushButton* done = makeButton(tr("Done"), "prominent");
    footer->addWidget(done);
    setDefaultButton(done);
    connect(done, &QPushButton::clicked, this, [this] { close(); });

    auto* detail = new QVBoxLayout;
    detail->setContentsMargins(0, 0, 0, 0);
    detail->setSpacing(0);
    detail->addWidget(m_scroll, 1);
    detail->addWidget(makeSeparator("divider"));
    detail->addLayout(footer);

    auto* split = new QHBoxLayout(this);
    split->setContentsMargins(0, 0, 0, 0);
    split->setSpacing(0);
    split->addWidget(sidebar);
    split->addWidget(makeSeparator("verticalDivider"));
    split->addLayout(detail, 1);

    connect(m_sidebar, &QListWidget::currentRowChanged, this, [this](int row) {
        const QListWidgetItem* item = m_sidebar->item(row);
        if (auto section = item ? settingsSectionFromRawValue(item->data(Qt::UserRole).toInt()) : std::nullopt) {
            rememberSection(m_context.platform.preferences, *section);
            showPage(*section);
        }
    });
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

// Each time the window comes on screen it opens on the remembered section.
void SettingsWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    select(sectionToShow(m_context.platform.preferences, m_context.platform.features));
}

void SettingsWindow::select(SettingsSection section) {
    int row = 0;
    while (row < m_sidebar->count() && m_sidebar->item(row)->data(Qt::UserRole).toInt() != static_cast<int>(section))
        ++row;
    if (m_sidebar->currentRow() == row && m_page)
        return;
    m_sidebar->setCurrentRow(row);
}

void SettingsWindow::showPage(SettingsSection section) {
    auto* holder = new QWidget;
    holder->setProperty("role", "plain");
    auto* column = new QVBoxLayout(holder);
    column->setContentsMargins(28, 16, 28, 16);
    column->setSpacing(16);
    m_page = makeSettingsPage(section, m_context);
    m_page->setMaximumWidth(formMaximumWidth);
    column->addWidget(m_page);
    // The old page goes with its holder.
    delete m_scroll->takeWidget();
    m_scroll->setWidget(holder);
}

} // namespace tallowmere
