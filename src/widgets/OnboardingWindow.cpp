#include "widgets/OnboardingWindow.h"

#include "app/AppCommands.h"
#include "base/MachineTexts.h"
#include "models/OnboardingTestRun.h"
#include "widgets/Controls.h"
#include "widgets/Style.h"
#include "widgets/WindowOrder.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tallowmere {
namespace {

QLabel* symbol(const QString& name, int size) {
    auto* image = new QLabel;
    image->setPixmap(symbolPixmap(name, size, qApp->devicePixelRatio(), accentColor));
    image->setFixedSize(size, size);
    return image;
}

// A button whose label gives way to a spinning indicator while its work runs.
QPushButton* progressButton(const QString& title, const char* role, BusyIndicator*& progress) {
    QPushButton* button = makeButton(title, role);
    button->setAccessibleName(title);
    button->setMinimumWidth(button->sizeHint().width());
    progress = new BusyIndicator(14, button);
    progress->hide();
    return button;
}

void showProgress(QPushButton* button, BusyIndicator* progress, const QString& title, bool running) {
    button->setText(running ? QString() : title);
    progress->move((button->width() - progress->width()) / 2, (button->height() - progress->height()) / 2);
    progress->setVisible(running);
}

} // namespace

OnboardingWindow::OnboardingWindow(const AppContext& context)
    : KeptWindow(Qt::WindowCloseButtonHint) {
    setWindowTitle(tr("Welcome to Tallowmere"));
    Platform& platform = context.platform;
    m_testRun = OnboardingTestRun::create({platform.runtime, context.diskManager, platform.preferences,
                                           std::bind_front(&UserNotifier::postUserNotification, context.notifier),
                                           platform.application});

    // The body scrolls when the screen is too short for it; the buttons at the bottom stay in view.
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(24, 24, 24, 8);
    column->setSpacing(20);
    m_column = column;

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    header->addWidget(symbol("moon.zzz", 32), 0, Qt::AlignTop);
    auto* headerTexts = new QVBoxLayout;
    headerTexts->setSpacing(4);
    headerTexts->addWidget(makeLabel(tr("Welcome to Tallowmere"), "title2"));
    const MachineKind machine = platform.features.machine;
    headerTexts->addWidget(
        makeLabel(QString::fromStdString(machineText(MachineText::welcomeSummary, machine)), "secondary", true));
    header->addLayout(headerTexts, 1);
    column->addLayout(header);

    auto* featureList = new QVBoxLayout;
    featureList->setSpacing(12);
    for (const WelcomeFeature& feature : welcomeFeatures(platform.features)) {
        auto* row = new QHBoxLayout;
        row->setSpacing(10);
        row->addWidget(symbol(feature.symbol, 22), 0, Qt::AlignTop);
        auto* texts = new QVBoxLayout;
        texts->setSpacing(4);
        texts->addWidget(makeLabel(QString::fromStdString(feature.heading), "headline"));
        texts->addWidget(makeLabel(QString::fromStdString(feature.description), "secondary", true));
        row->addLayout(texts, 1);
        featureList->addLayout(row);
    }
    column->addLayout(featureList);
    column->addWidget(makeSeparator("divider"));

    auto* test = new QVBoxLayout;
    test->setSpacing(8);
    test->addWidget(makeLabel(tr("Try a safe unmount and remount"), "headline"));
    test->addWidget(
        makeLabel(QString::fromStdString(machineText(MachineText::welcomeTestIntroduction, machine)), "caption", true));
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    m_unmountButton = progressButton(tr("Test Unmount External Drives"), "prominent", m_unmountProgress);
    m_remountButton = progressButton(tr("Test Remount"), nullptr, m_remountProgress);
    buttons->addWidget(m_unmountButton);
    buttons->addWidget(m_remountButton);
    buttons->addStretch();
    test->addLayout(buttons);
    test->addWidget(
        makeLabel(QString::fromStdString(machineText(MachineText::welcomeTestNote, machine)), "caption2", true));
    m_statusMessage = new WrappingLabel; // it may hold a long volume name
    setRole(m_statusMessage, "caption");
    test->addWidget(m_statusMessage);
    column->addLayout(test);
    column->addStretch();

    m_body = new QScrollArea;
    m_body->setWidgetResizable(true);
    m_body->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_body->setWidget(body);
    m_body->setProperty("scrollsOnShortScreens", true);
    // The keyboard goes to the controls; the body scrolls to the one in focus.
    m_body->setFocusPolicy(Qt::NoFocus);
    auto* bottom = new QHBoxLayout;
    bottom->setContentsMargins(24, 12, 24, 24);
    bottom->setSpacing(12);
    bottom->addStretch();
    QPushButton* openSettings = makeButton(tr("Open Settings…"));
    m_getStartedButton = makeButton(tr("Get Started"), "prominent");
    setDefaultButton(m_getStartedButton);
    bottom->addWidget(openSettings);
    bottom->addWidget(m_getStartedButton);
    m_bottom = bottom;
    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(0, 0, 0, 0);
    window->setSpacing(0);
    window->addWidget(m_body, 1);
    m_scrollEdge = makeSeparator("divider");
    window->addWidget(m_scrollEdge);
    window->addLayout(bottom);

    connect(m_unmountButton, &QPushButton::clicked, this, [this] { m_testRun->runTestUnmount(); });
    connect(m_remountButton, &QPushButton::clicked, this, [this] { m_testRun->runTestRemount(); });
    connect(openSettings, &QPushButton::clicked, this, [commands = context.commands] {
        if (auto owner = commands.lock())
            owner->showSettings();
    });
    connect(m_getStartedButton, &QPushButton::clicked, this, [this] { close(); });
    connect(m_testRun.get(), &OnboardingTestRun::changed, this, &OnboardingWindow::redraw);

    redraw();
    fitToScreen();
}

OnboardingWindow::~OnboardingWindow() = default;

void OnboardingWindow::redraw() {
    showProgress(m_unmountButton, m_unmountProgress, tr("Test Unmount External Drives"), m_testRun->isTestingUnmount());
    showProgress(m_remountButton, m_remountProgress, tr("Test Remount"), m_testRun->isTestingRemount());
    m_unmountButton->setEnabled(m_testRun->canTestUnmount());
    m_remountButton->setEnabled(m_testRun->canTestRemount());
    m_getStartedButton->setEnabled(m_testRun->canGetStarted());
    const std::optional<std::string>& message = m_testRun->statusMessage();
    m_statusMessage->setText(message ? QString::fromStdString(*message) : QString());
    m_statusMessage->setVisible(message.has_value());
    if (isVisible())
        fitToScreen();
    // A new result shows where the test buttons are, also in a scrolled body.
    if (message && *message != m_shownMessage)
        QTimer::singleShot(0, this, [this] { m_body->ensureWidgetVisible(m_statusMessage); }); // once laid out
    m_shownMessage = message.value_or("");
}

void OnboardingWindow::fitToScreen() {
    QScreen* screen = QGuiApplication::primaryScreen();
    std::optional<WindowSize> visible, full;
    if (screen) {
        const QRect frame = WindowOrder::visibleFrame(screen);
        visible = WindowSize{double(frame.width()), double(frame.height())};
        full = WindowSize{double(screen->geometry().width()), double(screen->geometry().height())};
    }
    // The body and the bottom row are stacked; the view is at least 500 points tall.
    const QSize hint = m_column->sizeHint().expandedTo(m_bottom->sizeHint());
    const double needed = std::max(m_column->minimumSize().width(), m_bottom->minimumSize().width());
    const WindowSize width = onboardingContentSize({double(hint.width()), 0}, needed, visible, full);
    const int bodyHeight =
        m_column->hasHeightForWidth() ? m_column->totalHeightForWidth(int(width.width)) : m_column->sizeHint().height();
    const int fittingHeight = std::max(bodyHeight + m_bottom->sizeHint().height(), 500);
    const WindowSize size = onboardingContentSize({double(hint.width()), double(fittingHeight)}, needed, visible, full);
    setFixedSize(int(size.width), int(size.height));
    // A hairline above the buttons where the body runs on under them.
    m_scrollEdge->setVisible(size.height < fittingHeight);
    if (screen && !isVisible())
        move(WindowOrder::visibleFrame(screen).center() - rect().center());
}

} // namespace tallowmere
