#pragma once

#include "platform/Bundle.h"
#include "platform/Updater.h"
#include "platform/Workspace.h"

#include <QObject>

#include <functional>
#include <string>

namespace tallowmere {

// The Updates page: the running version, the updater's automatic checks, a check started by the user and the
// release notes. Main thread.
class UpdatesSettingsModel : public QObject {
    Q_OBJECT

public:
    // What the page needs of the application delegate; both are empty when the delegate is of another kind.
    struct Delegate {
        // The delegate's updater controller's updater, which may be absent.
        std::function<Updater*()> updater;
        std::function<void()> checkForUpdates;
    };

    UpdatesSettingsModel(Bundle& bundle, Workspace& workspace, Delegate delegate);

    // "1.2 (build 45)"; "Unknown" when the short version is missing or not text.
    std::string versionText() const;
    // "Stay up to date with Sparkle. Tallowmere will check the appcast hosted at <domain> for new signed releases."
    static std::string appcastSentence();
    // "View release notes on <domain>"
    static std::string releaseNotesButtonTitle();

    bool automaticallyChecksForUpdates() const { return m_automaticallyChecksForUpdates; }
    void setAutomaticallyChecksForUpdates(bool enabled);
    bool canChangeAutomaticChecks() const;
    bool canCheckForUpdates() const;
    // "Check for Updates…"
    void checkForUpdates();
    void openReleaseNotes();

    // Each time the page comes on screen: mirror the updater's setting.
    void pageDidAppear();

signals:
    void changed();

private:
    Updater* updater() const;

    Bundle& m_bundle;
    Workspace& m_workspace;
    Delegate m_delegate;
    bool m_automaticallyChecksForUpdates = true;
};

} // namespace tallowmere
