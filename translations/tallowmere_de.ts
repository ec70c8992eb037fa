<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AboutSettingsModel</name>
    <message>
        <source>About Tallowmere</source>
        <translation>Über Tallowmere</translation>
    </message>
    <message>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>Tallowmere is made by a small independent team. It never collects personal data, file contents or drive details, and usage analytics can be turned off in General.

Questions or problems? Choose Contact Support and we will get back to you.</source>
        <translation>Tallowmere wird von einem kleinen unabhängigen Team entwickelt. Es sammelt niemals persönliche Daten, Dateiinhalte oder Angaben zu Laufwerken, und die Nutzungsstatistik kannst du unter „Allgemein“ ausschalten.

Fragen oder Probleme? Wähle „Support kontaktieren“, und wir melden uns bei dir.</translation>
    </message>
</context>
<context>
    <name>ActivationDuration</name>
    <message>
        <source>Off</source>
        <translation>Aus</translation>
    </message>
    <message>
        <source>Indefinitely</source>
        <translation>Unbegrenzt</translation>
    </message>
    <message>
        <source>5 min</source>
        <translation>5 Min.</translation>
    </message>
    <message>
        <source>10 min</source>
        <translation>10 Min.</translation>
    </message>
    <message>
        <source>15 min</source>
        <translation>15 Min.</translation>
    </message>
    <message>
        <source>30 min</source>
        <translation>30 Min.</translation>
    </message>
    <message>
        <source>1 hr</source>
        <translation>1 Std.</translation>
    </message>
    <message>
        <source>2 hr</source>
        <translation>2 Std.</translation>
    </message>
    <message>
        <source>4 hr</source>
        <translation>4 Std.</translation>
    </message>
    <message>
        <source>24 hr</source>
        <translation>24 Std.</translation>
    </message>
</context>
<context>
    <name>Alert</name>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>AutoEjectSettingsModel</name>
    <message>
        <source>Auto Eject Before Sleep</source>
        <translation>Vor dem Ruhezustand automatisch auswerfen</translation>
    </message>
    <message>
        <source>Activate Auto Eject on Launch</source>
        <translation>Automatisches Auswerfen beim Start aktivieren</translation>
    </message>
    <message>
        <source>Unmount instead of ejecting</source>
        <translation>Deaktivieren statt auswerfen</translation>
    </message>
    <message>
        <source>Force unmount when busy</source>
        <translation>Deaktivieren erzwingen, wenn belegt</translation>
    </message>
</context>
<context>
    <name>AutoEjectTrigger</name>
    <message>
        <source>System starts sleeping</source>
        <translation>System wechselt in den Ruhezustand</translation>
    </message>
    <message>
        <source>Display turns off</source>
        <translation>Display schaltet sich aus</translation>
    </message>
    <message>
        <source>Screen is locked</source>
        <translation>Bildschirm wird gesperrt</translation>
    </message>
    <message>
        <source>Screensaver starts</source>
        <translation>Bildschirmschoner startet</translation>
    </message>
</context>
<context>
    <name>BatterySettingsModel</name>
    <message>
        <source>Deactivate below %1%</source>
        <translation>Deaktivieren unter %1 %</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>guard: expected on, off or a duration such as 90m, 2h or 1h30m.</source>
        <translation>guard: „on“, „off“ oder eine Dauer wie 90m, 2h oder 1h30m erwartet.</translation>
    </message>
    <message>
        <source>guard: &quot;%1&quot; is not a duration such as 90m, 2h or 1h30m.</source>
        <translation>guard: „%1“ ist keine Dauer wie 90m, 2h oder 1h30m.</translation>
    </message>
    <message>
        <source>No command given.</source>
        <translation>Kein Befehl angegeben.</translation>
    </message>
    <message>
        <source>Unknown command: %1</source>
        <translation>Unbekannter Befehl: %1</translation>
    </message>
    <message>
        <source>settings: unknown section &quot;%1&quot;; expected general, quenby-guard, auto-eject, battery, updates or about.</source>
        <translation>settings: unbekannter Bereich „%1“; erwartet wird general, quenby-guard, auto-eject, battery, updates oder about.</translation>
    </message>
    <message>
        <source>%1: unexpected argument &quot;%2&quot;.</source>
        <translation>%1: unerwartetes Argument „%2“.</translation>
    </message>
    <message>
        <source>--platform: expected a platform&apos;s name.</source>
        <translation>--platform: Name einer Plattform erwartet.</translation>
    </message>
    <message>
        <source>Unknown option: %1</source>
        <translation>Unbekannte Option: %1</translation>
    </message>
    <message>
        <source>Tallowmere is not running</source>
        <translation>Tallowmere läuft nicht</translation>
    </message>
    <message>
        <source>Tallowmere is running but does not answer: %1</source>
        <translation>Tallowmere läuft, antwortet aber nicht: %1</translation>
    </message>
    <message>
        <source>Tallowmere gave an answer this program does not understand.</source>
        <translation>Tallowmere hat eine Antwort gegeben, die dieses Programm nicht versteht.</translation>
    </message>
    <message>
        <source>Unknown platform: %1</source>
        <translation>Unbekannte Plattform: %1</translation>
    </message>
    <message>
        <source>%1
Usage: tallowmere [--platform %2] [COMMAND]
Run &quot;tallowmere --help&quot; for the commands.
</source>
        <translation>%1
Aufruf: tallowmere [--platform %2] [BEFEHL]
„tallowmere --help“ zeigt die Befehle.
</translation>
    </message>
    <message>
        <source>The request is too long.</source>
        <translation>Die Anfrage ist zu lang.</translation>
    </message>
    <message>
        <source>Usage: tallowmere [--platform %1]
       tallowmere [--platform NAME] COMMAND

Without a command, Tallowmere starts. A command is carried out by the running Tallowmere:
  status [--json]      Show Quenby Guard, the protection, its triggers and the volumes.
  eject                Take the external disks offline now.
  eject-and-sleep      Take the external disks offline, then put the computer to sleep.
  remount              Bring back the disks Tallowmere took offline.
  guard on|off|DURATION
                       Turn Quenby Guard on for its default duration, off, or on for a
                       duration such as 90m, 2h or 1h30m.
  settings [SECTION]   Open the settings window, or one of its sections: general,
                       quenby-guard, auto-eject, battery, updates, about.
  quit                 Quit Tallowmere.

Options:
  --platform NAME      The platform to run on: %1 (the first is the default). A command
                       without it goes to the copy that runs.
  --help               Show this text.
  --version            Show the version.

Exit status: 0 when the command succeeded, 1 when it failed, 2 for bad usage, 3 when
Tallowmere is not running.
</source>
        <translation>Aufruf: tallowmere [--platform %1]
        tallowmere [--platform NAME] BEFEHL

Ohne Befehl startet Tallowmere. Einen Befehl führt das laufende Tallowmere aus:
  status [--json]      Quenby Guard, den Schutz, seine Auslöser und die Volumes zeigen.
  eject                Die externen Laufwerke jetzt trennen.
  eject-and-sleep      Die externen Laufwerke trennen, dann den Computer in den
                       Ruhezustand versetzen.
  remount              Die von Tallowmere getrennten Laufwerke wieder aktivieren.
  guard on|off|DAUER
                       Quenby Guard für seine Standarddauer einschalten, ausschalten
                       oder für eine Dauer wie 90m, 2h oder 1h30m einschalten.
  settings [BEREICH]   Das Einstellungsfenster oder einen seiner Bereiche öffnen:
                       general, quenby-guard, auto-eject, battery, updates, about.
  quit                 Tallowmere beenden.

Optionen:
  --platform NAME      Die Plattform, auf der Tallowmere läuft: %1 (die erste ist die
                       Vorgabe). Ein Befehl ohne diese Option geht an die laufende Kopie.
  --help               Diesen Text zeigen.
  --version            Die Version zeigen.

Exit-Status: 0, wenn der Befehl gelungen ist, 1, wenn er fehlgeschlagen ist, 2 bei
falschem Aufruf, 3, wenn Tallowmere nicht läuft.
</translation>
    </message>
</context>
<context>
    <name>DiskCommands</name>
    <message>
        <source>Disks Unmounted</source>
        <translation>Laufwerke deaktiviert</translation>
    </message>
    <message>
        <source>Disks Ejected</source>
        <translation>Laufwerke ausgeworfen</translation>
    </message>
    <message>
        <source>Successfully unmounted: %1</source>
        <translation>Erfolgreich deaktiviert: %1</translation>
    </message>
    <message>
        <source>Successfully ejected: %1</source>
        <translation>Erfolgreich ausgeworfen: %1</translation>
    </message>
    <message>
        <source>No External Disks</source>
        <translation>Keine externen Laufwerke</translation>
    </message>
    <message>
        <source>No external disks were found to unmount.</source>
        <translation>Es wurden keine externen Laufwerke zum Deaktivieren gefunden.</translation>
    </message>
    <message>
        <source>No external disks were found to eject.</source>
        <translation>Es wurden keine externen Laufwerke zum Auswerfen gefunden.</translation>
    </message>
    <message>
        <source>Full Disk Access Recommended</source>
        <translation>Festplattenvollzugriff empfohlen</translation>
    </message>
    <message>
        <source>Tallowmere may not be able to reliably eject all external drives without Full Disk Access. Some operations may fail.

Would you like to grant Full Disk Access now?</source>
        <translation>Ohne Festplattenvollzugriff kann Tallowmere möglicherweise nicht alle externen Laufwerke zuverlässig auswerfen. Einige Vorgänge könnten fehlschlagen.

Möchtest du jetzt Festplattenvollzugriff gewähren?</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Systemeinstellungen öffnen</translation>
    </message>
    <message>
        <source>Continue Anyway</source>
        <translation>Trotzdem fortfahren</translation>
    </message>
    <message>
        <source>Sleep Failed</source>
        <translation>Ruhezustand fehlgeschlagen</translation>
    </message>
    <message>
        <source>No Disks Remounted</source>
        <translation>Keine Laufwerke wieder aktiviert</translation>
    </message>
    <message>
        <source>No previously ejected disks were available to remount.</source>
        <translation>Es waren keine zuvor ausgeworfenen Laufwerke zum erneuten Aktivieren verfügbar.</translation>
    </message>
    <message>
        <source>Successfully remounted: %1</source>
        <translation>Erfolgreich wieder aktiviert: %1</translation>
    </message>
</context>
<context>
    <name>DiskNotices</name>
    <message>
        <source>Disks Remounted</source>
        <translation>Laufwerke wieder aktiviert</translation>
    </message>
    <message>
        <source>Disk Not Remounted</source>
        <translation>Laufwerk nicht wieder aktiviert</translation>
    </message>
    <message>
        <source>%1 could not be remounted; it may have been unplugged.</source>
        <translation>„%1“ konnte nicht wieder aktiviert werden; möglicherweise wurde es getrennt.</translation>
    </message>
    <message>
        <source>Disks Not Taken Offline</source>
        <translation>Laufwerke nicht getrennt</translation>
    </message>
    <message>
        <source>The disk service did not answer, so your external disks are still mounted. Eject them before you disconnect them.</source>
        <translation>Der Festplattendienst hat nicht geantwortet, daher sind deine externen Laufwerke noch aktiviert. Wirf sie aus, bevor du sie trennst.</translation>
    </message>
</context>
<context>
    <name>DiskType</name>
    <message>
        <source>Hard disks and SSDs</source>
        <translation>Festplatten und SSDs</translation>
    </message>
    <message>
        <source>DVDs and CDs</source>
        <translation>DVDs und CDs</translation>
    </message>
    <message>
        <source>Disk images</source>
        <translation>Disk-Images</translation>
    </message>
    <message>
        <source>Network drives</source>
        <translation>Netzlaufwerke</translation>
    </message>
    <message>
        <source>SD cards</source>
        <translation>SD-Karten</translation>
    </message>
</context>
<context>
    <name>Duration</name>
    <message numerus="yes">
        <source>%n hour</source>
        <translation>
            <numerusform>%n Stunde</numerusform>
            <numerusform>%n Stunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n hours</source>
        <translation>
            <numerusform>%n Stunde</numerusform>
            <numerusform>%n Stunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minute</source>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n minutes</source>
        <translation>
            <numerusform>%n Minute</numerusform>
            <numerusform>%n Minuten</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n second</source>
        <translation>
            <numerusform>%n Sekunde</numerusform>
            <numerusform>%n Sekunden</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n seconds</source>
        <translation>
            <numerusform>%n Sekunde</numerusform>
            <numerusform>%n Sekunden</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>MachineTexts</name>
    <message>
        <source>Tallowmere will manage external disks and keep your Mac awake based on your settings.</source>
        <translation>Tallowmere verwaltet externe Laufwerke und hält deinen Mac gemäß deinen Einstellungen wach.</translation>
    </message>
    <message>
        <source>Tallowmere will manage external disks and keep your computer awake based on your settings.</source>
        <translation>Tallowmere verwaltet externe Laufwerke und hält deinen Computer gemäß deinen Einstellungen wach.</translation>
    </message>
    <message>
        <source>Tallowmere will keep your Mac awake using Quenby Guard.</source>
        <translation>Tallowmere hält deinen Mac mit Quenby Guard wach.</translation>
    </message>
    <message>
        <source>Tallowmere will keep your computer awake using Quenby Guard.</source>
        <translation>Tallowmere hält deinen Computer mit Quenby Guard wach.</translation>
    </message>
    <message>
        <source>Tallowmere will keep your Mac awake for %1 using Quenby Guard.</source>
        <translation>Tallowmere hält deinen Mac %1 lang mit Quenby Guard wach.</translation>
    </message>
    <message>
        <source>Tallowmere will keep your computer awake for %1 using Quenby Guard.</source>
        <translation>Tallowmere hält deinen Computer %1 lang mit Quenby Guard wach.</translation>
    </message>
    <message>
        <source>Quenby Guard is no longer keeping your Mac awake.</source>
        <translation>Quenby Guard hält deinen Mac nicht mehr wach.</translation>
    </message>
    <message>
        <source>Quenby Guard is no longer keeping your computer awake.</source>
        <translation>Quenby Guard hält deinen Computer nicht mehr wach.</translation>
    </message>
    <message>
        <source>Unable to put Mac to sleep: %1</source>
        <translation>Der Mac konnte nicht in den Ruhezustand versetzt werden: %1</translation>
    </message>
    <message>
        <source>Unable to put the computer to sleep: %1</source>
        <translation>Der Computer konnte nicht in den Ruhezustand versetzt werden: %1</translation>
    </message>
    <message>
        <source>Tallowmere safely ejects your external drives before your Mac sleeps and can keep your Mac awake when you need it.</source>
        <translation>Tallowmere wirft deine externen Laufwerke sicher aus, bevor dein Mac in den Ruhezustand wechselt, und hält deinen Mac wach, wenn du es brauchst.</translation>
    </message>
    <message>
        <source>Tallowmere safely ejects your external drives before your computer sleeps and can keep your computer awake when you need it.</source>
        <translation>Tallowmere wirft deine externen Laufwerke sicher aus, bevor dein Computer in den Ruhezustand wechselt, und hält deinen Computer wach, wenn du es brauchst.</translation>
    </message>
    <message>
        <source>Automatically opens the app when you start your Mac.</source>
        <translation>Öffnet die App automatisch, wenn du deinen Mac startest.</translation>
    </message>
    <message>
        <source>Automatically opens the app when you start your computer.</source>
        <translation>Öffnet die App automatisch, wenn du deinen Computer startest.</translation>
    </message>
    <message>
        <source>Opens macOS notification settings so you can adjust Tallowmere alerts.</source>
        <translation>Öffnet die Mitteilungseinstellungen von macOS, damit du die Hinweise von Tallowmere anpassen kannst.</translation>
    </message>
    <message>
        <source>Opens the desktop’s notification settings so you can adjust Tallowmere alerts.</source>
        <translation>Öffnet die Mitteilungseinstellungen deiner Arbeitsumgebung, damit du die Hinweise von Tallowmere anpassen kannst.</translation>
    </message>
    <message>
        <source>Notifications are currently disabled. Enable them in System Settings to see eject/remount and onboarding test alerts.</source>
        <translation>Mitteilungen sind zurzeit deaktiviert. Aktiviere sie in den Systemeinstellungen, um Hinweise zum Auswerfen, erneuten Aktivieren und zum Einführungstest zu sehen.</translation>
    </message>
    <message>
        <source>Notifications are currently disabled. Enable them in the desktop’s notification settings to see eject/remount and onboarding test alerts.</source>
        <translation>Mitteilungen sind zurzeit deaktiviert. Aktiviere sie in den Mitteilungseinstellungen deiner Arbeitsumgebung, um Hinweise zum Auswerfen, erneuten Aktivieren und zum Einführungstest zu sehen.</translation>
    </message>
    <message>
        <source>Automatically ejects or unmounts selected external disks when your Mac sleeps. You can also arm it as soon as Tallowmere launches.</source>
        <translation>Wirft ausgewählte externe Laufwerke automatisch aus oder deaktiviert sie, wenn dein Mac in den Ruhezustand wechselt. Du kannst es auch gleich beim Start von Tallowmere aktivieren.</translation>
    </message>
    <message>
        <source>Automatically ejects or unmounts selected external disks when your computer sleeps. You can also arm it as soon as Tallowmere launches.</source>
        <translation>Wirft ausgewählte externe Laufwerke automatisch aus oder deaktiviert sie, wenn dein Computer in den Ruhezustand wechselt. Du kannst es auch gleich beim Start von Tallowmere aktivieren.</translation>
    </message>
    <message>
        <source>Active keeps your Mac awake until you turn it off or the timer ends. Activate on Launch starts the default duration each time you open Tallowmere.</source>
        <translation>„Aktiv“ hält deinen Mac wach, bis du es ausschaltest oder die Zeit abläuft. „Beim Start aktivieren“ startet die Standarddauer bei jedem Öffnen von Tallowmere.</translation>
    </message>
    <message>
        <source>Active keeps your computer awake until you turn it off or the timer ends. Activate on Launch starts the default duration each time you open Tallowmere.</source>
        <translation>„Aktiv“ hält deinen Computer wach, bis du es ausschaltest oder die Zeit abläuft. „Beim Start aktivieren“ startet die Standarddauer bei jedem Öffnen von Tallowmere.</translation>
    </message>
    <message>
        <source>Display sleep dims the screen while keeping the Mac awake. External display auto-activates Quenby Guard when connected. User switching can turn it off to avoid affecting other accounts.</source>
        <translation>Mit dem Ruhezustand des Displays wird der Bildschirm abgedunkelt, während der Mac wach bleibt. Ein angeschlossenes externes Display kann Quenby Guard automatisch aktivieren. Beim Benutzerwechsel kann es ausgeschaltet werden, damit andere Accounts nicht betroffen sind.</translation>
    </message>
    <message>
        <source>Display sleep dims the screen while keeping the computer awake. External display auto-activates Quenby Guard when connected. User switching can turn it off to avoid affecting other accounts.</source>
        <translation>Mit dem Ruhezustand des Displays wird der Bildschirm abgedunkelt, während der Computer wach bleibt. Ein angeschlossenes externes Display kann Quenby Guard automatisch aktivieren. Beim Benutzerwechsel kann es ausgeschaltet werden, damit andere Accounts nicht betroffen sind.</translation>
    </message>
    <message>
        <source>Battery not detected on this Mac; battery rules are disabled.</source>
        <translation>Auf diesem Mac wurde keine Batterie erkannt; die Batterieregeln sind deaktiviert.</translation>
    </message>
    <message>
        <source>Battery not detected on this computer; battery rules are disabled.</source>
        <translation>Auf diesem Computer wurde keine Batterie erkannt; die Batterieregeln sind deaktiviert.</translation>
    </message>
    <message>
        <source>Tallowmere safely prepares your external disks before sleep and can keep your Mac awake when you need it.</source>
        <translation>Tallowmere bereitet deine externen Laufwerke sicher auf den Ruhezustand vor und hält deinen Mac wach, wenn du es brauchst.</translation>
    </message>
    <message>
        <source>Tallowmere safely prepares your external disks before sleep and can keep your computer awake when you need it.</source>
        <translation>Tallowmere bereitet deine externen Laufwerke sicher auf den Ruhezustand vor und hält deinen Computer wach, wenn du es brauchst.</translation>
    </message>
    <message>
        <source>Before your Mac sleeps, Tallowmere can automatically eject or unmount selected external disks so they’re not corrupted or left in an unsafe state. When your Mac wakes, Tallowmere will try to remount those disks so they’re ready to use again.</source>
        <translation>Bevor dein Mac in den Ruhezustand wechselt, kann Tallowmere ausgewählte externe Laufwerke automatisch auswerfen oder deaktivieren, damit sie nicht beschädigt oder in einem unsicheren Zustand zurückgelassen werden. Wenn dein Mac aufwacht, versucht Tallowmere, diese Laufwerke wieder zu aktivieren, damit sie sofort wieder bereit sind.</translation>
    </message>
    <message>
        <source>Before your computer sleeps, Tallowmere can automatically eject or unmount selected external disks so they’re not corrupted or left in an unsafe state. When your computer wakes, Tallowmere will try to remount those disks so they’re ready to use again.</source>
        <translation>Bevor dein Computer in den Ruhezustand wechselt, kann Tallowmere ausgewählte externe Laufwerke automatisch auswerfen oder deaktivieren, damit sie nicht beschädigt oder in einem unsicheren Zustand zurückgelassen werden. Wenn dein Computer aufwacht, versucht Tallowmere, diese Laufwerke wieder zu aktivieren, damit sie sofort wieder bereit sind.</translation>
    </message>
    <message>
        <source>Tallowmere only works with external disks. This quick test will safely unmount your selected external drives now, then remount them, so you can see exactly what will happen before your Mac sleeps automatically.</source>
        <translation>Tallowmere arbeitet nur mit externen Laufwerken. Dieser kurze Test deaktiviert deine ausgewählten externen Laufwerke jetzt sicher und aktiviert sie danach wieder, damit du genau siehst, was passiert, bevor dein Mac automatisch in den Ruhezustand wechselt.</translation>
    </message>
    <message>
        <source>Tallowmere only works with external disks. This quick test will safely unmount your selected external drives now, then remount them, so you can see exactly what will happen before your computer sleeps automatically.</source>
        <translation>Tallowmere arbeitet nur mit externen Laufwerken. Dieser kurze Test deaktiviert deine ausgewählten externen Laufwerke jetzt sicher und aktiviert sie danach wieder, damit du genau siehst, was passiert, bevor dein Computer automatisch in den Ruhezustand wechselt.</translation>
    </message>
    <message>
        <source>Unmount will safely unmount any matching external disks without putting your Mac to sleep. Remount will then bring those same disks back online. You can cancel this window at any time.</source>
        <translation>Beim Deaktivieren werden alle passenden externen Laufwerke sicher deaktiviert, ohne dass dein Mac in den Ruhezustand wechselt. Danach werden genau diese Laufwerke wieder aktiviert. Du kannst dieses Fenster jederzeit schließen.</translation>
    </message>
    <message>
        <source>Unmount will safely unmount any matching external disks without putting your computer to sleep. Remount will then bring those same disks back online. You can cancel this window at any time.</source>
        <translation>Beim Deaktivieren werden alle passenden externen Laufwerke sicher deaktiviert, ohne dass dein Computer in den Ruhezustand wechselt. Danach werden genau diese Laufwerke wieder aktiviert. Du kannst dieses Fenster jederzeit schließen.</translation>
    </message>
</context>
<context>
    <name>MenuBarModel</name>
    <message>
        <source>No external volumes detected</source>
        <translation>Keine externen Volumes erkannt</translation>
    </message>
    <message>
        <source>Force unmount when busy</source>
        <translation>Deaktivieren erzwingen, wenn belegt</translation>
    </message>
    <message>
        <source>Remount Ejected Disks</source>
        <translation>Ausgeworfene Laufwerke wieder aktivieren</translation>
    </message>
    <message>
        <source>Turn Quenby Guard Off</source>
        <translation>Quenby Guard ausschalten</translation>
    </message>
    <message>
        <source>Turn Quenby Guard On</source>
        <translation>Quenby Guard einschalten</translation>
    </message>
    <message>
        <source>Unmount External Disks</source>
        <translation>Externe Laufwerke deaktivieren</translation>
    </message>
    <message>
        <source>Eject External Disks</source>
        <translation>Externe Laufwerke auswerfen</translation>
    </message>
    <message>
        <source>Unmount and Sleep</source>
        <translation>Deaktivieren und Ruhezustand</translation>
    </message>
    <message>
        <source>Eject and Sleep</source>
        <translation>Auswerfen und Ruhezustand</translation>
    </message>
    <message>
        <source>Auto Unmount Volumes</source>
        <translation>Volumes automatisch deaktivieren</translation>
    </message>
    <message>
        <source>Auto Eject Volumes</source>
        <translation>Volumes automatisch auswerfen</translation>
    </message>
    <message>
        <source>Quenby Guard for Duration</source>
        <translation>Quenby Guard zeitlich begrenzt</translation>
    </message>
    <message>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <source>About Tallowmere…</source>
        <translation>Über Tallowmere…</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <source>Quit Tallowmere</source>
        <translation>Tallowmere beenden</translation>
    </message>
</context>
<context>
    <name>OnboardingTestRun</name>
    <message>
        <source>Successfully unmounted: %1. You can now test remounting those disks.</source>
        <translation>Erfolgreich deaktiviert: %1. Du kannst jetzt testen, diese Laufwerke wieder zu aktivieren.</translation>
    </message>
    <message>
        <source>Test Disks Unmounted</source>
        <translation>Testlaufwerke deaktiviert</translation>
    </message>
    <message>
        <source>Successfully unmounted: %1</source>
        <translation>Erfolgreich deaktiviert: %1</translation>
    </message>
    <message>
        <source>No external disks were found to unmount. Connect an external drive and try again if you’d like to see the full workflow.</source>
        <translation>Es wurden keine externen Laufwerke zum Deaktivieren gefunden. Schließe ein externes Laufwerk an und versuche es erneut, wenn du den gesamten Ablauf sehen möchtest.</translation>
    </message>
    <message>
        <source>No External Disks</source>
        <translation>Keine externen Laufwerke</translation>
    </message>
    <message>
        <source>No external disks were found to unmount for the test.</source>
        <translation>Für den Test wurden keine externen Laufwerke zum Deaktivieren gefunden.</translation>
    </message>
    <message>
        <source>Successfully remounted: %1. Tallowmere is ready to manage your disks automatically.</source>
        <translation>Erfolgreich wieder aktiviert: %1. Tallowmere ist bereit, deine Laufwerke automatisch zu verwalten.</translation>
    </message>
    <message>
        <source>Test Disks Remounted</source>
        <translation>Testlaufwerke wieder aktiviert</translation>
    </message>
    <message>
        <source>Successfully remounted: %1</source>
        <translation>Erfolgreich wieder aktiviert: %1</translation>
    </message>
    <message>
        <source>No previously unmounted disks were available to remount. If you’ve manually reconnected them, you can skip this step.</source>
        <translation>Es waren keine zuvor deaktivierten Laufwerke zum erneuten Aktivieren verfügbar. Wenn du sie selbst wieder angeschlossen hast, kannst du diesen Schritt überspringen.</translation>
    </message>
    <message>
        <source>No Disks Remounted</source>
        <translation>Keine Laufwerke wieder aktiviert</translation>
    </message>
    <message>
        <source>No previously unmounted disks were available to remount for the test.</source>
        <translation>Für den Test waren keine zuvor deaktivierten Laufwerke zum erneuten Aktivieren verfügbar.</translation>
    </message>
    <message>
        <source>Safe eject and remount</source>
        <translation>Sicher auswerfen und wieder aktivieren</translation>
    </message>
    <message>
        <source>Choose what to eject</source>
        <translation>Wähle, was ausgeworfen wird</translation>
    </message>
    <message>
        <source>You can choose which types of disks are included (hard drives, SSDs, SD cards, disk images, network drives, and more) in the Auto Eject tab of Settings. Tallowmere only touches the disks you’ve allowed.</source>
        <translation>Im Bereich „Auto-Auswerfen“ der Einstellungen wählst du, welche Laufwerkstypen einbezogen werden (Festplatten, SSDs, SD-Karten, Disk-Images, Netzlaufwerke und mehr). Tallowmere berührt nur die Laufwerke, die du erlaubt hast.</translation>
    </message>
    <message>
        <source>Recommended permissions</source>
        <translation>Empfohlene Berechtigungen</translation>
    </message>
    <message>
        <source>For the most reliable behavior, especially with Time Machine or encrypted volumes, we recommend granting Tallowmere Full Disk Access in System Settings → Privacy &amp; Security → Full Disk Access. This lets macOS know Tallowmere is allowed to manage your disks.</source>
        <translation>Für ein möglichst zuverlässiges Verhalten, besonders mit Time Machine oder verschlüsselten Volumes, empfehlen wir, Tallowmere unter „Systemeinstellungen“ → „Datenschutz &amp; Sicherheit“ → „Festplattenvollzugriff“ den Festplattenvollzugriff zu gewähren. So weiß macOS, dass Tallowmere deine Laufwerke verwalten darf.</translation>
    </message>
</context>
<context>
    <name>ProtectionLoop</name>
    <message>
        <source>Successfully remounted after wake: %1</source>
        <translation>Nach dem Aufwachen wieder aktiviert: %1</translation>
    </message>
    <message>
        <source>Successfully remounted after restart: %1</source>
        <translation>Nach dem Neustart wieder aktiviert: %1</translation>
    </message>
</context>
<context>
    <name>QuenbyGuardSettingsModel</name>
    <message>
        <source>Quenby Guard Active</source>
        <translation>Quenby Guard aktiv</translation>
    </message>
    <message>
        <source>Activate Quenby Guard on Launch</source>
        <translation>Quenby Guard beim Start aktivieren</translation>
    </message>
    <message>
        <source>Allow display to sleep</source>
        <translation>Ruhezustand des Displays erlauben</translation>
    </message>
    <message>
        <source>Activate if an external display is connected</source>
        <translation>Aktivieren, wenn ein externes Display angeschlossen ist</translation>
    </message>
    <message>
        <source>Deactivate if switching to another user account</source>
        <translation>Bei Benutzerwechsel deaktivieren</translation>
    </message>
    <message>
        <source>Custom – %1</source>
        <translation>Eigene – %1</translation>
    </message>
</context>
<context>
    <name>RemoteControl</name>
    <message>
        <source>Quenby Guard is off.</source>
        <translation>Quenby Guard ist aus.</translation>
    </message>
    <message>
        <source>Quenby Guard is on with no time limit.</source>
        <translation>Quenby Guard ist ohne Zeitbegrenzung eingeschaltet.</translation>
    </message>
    <message>
        <source>Quenby Guard is on until %1.</source>
        <translation>Quenby Guard ist bis %1 eingeschaltet.</translation>
    </message>
    <message>
        <source>The request is not a list of words.</source>
        <translation>Die Anfrage ist keine Liste von Wörtern.</translation>
    </message>
    <message>
        <source>Protection across sleep is on.</source>
        <translation>Der Schutz im Ruhezustand ist eingeschaltet.</translation>
    </message>
    <message>
        <source>Protection across sleep is off.</source>
        <translation>Der Schutz im Ruhezustand ist ausgeschaltet.</translation>
    </message>
    <message>
        <source>Triggers: %1.</source>
        <translation>Auslöser: %1.</translation>
    </message>
    <message>
        <source>No mounted volume would be taken offline.</source>
        <translation>Kein aktiviertes Volume würde getrennt.</translation>
    </message>
    <message>
        <source>Volumes it would take offline: %1.</source>
        <translation>Volumes, die getrennt würden: %1.</translation>
    </message>
    <message>
        <source>No volume is held offline.</source>
        <translation>Kein Volume ist getrennt.</translation>
    </message>
    <message>
        <source>Volumes held offline: %1.</source>
        <translation>Getrennte Volumes: %1.</translation>
    </message>
    <message>
        <source>Tallowmere is quitting.</source>
        <translation>Tallowmere wird beendet.</translation>
    </message>
    <message>
        <source>Tallowmere takes the external disks offline, then the computer sleeps.</source>
        <translation>Tallowmere trennt die externen Laufwerke, dann wechselt der Computer in den Ruhezustand.</translation>
    </message>
    <message>
        <source>settings: there is no %1 section here.</source>
        <translation>settings: Hier gibt es keinen Bereich „%1“.</translation>
    </message>
    <message>
        <source>Quenby Guard could not be turned on.</source>
        <translation>Quenby Guard konnte nicht eingeschaltet werden.</translation>
    </message>
    <message>
        <source>Quenby Guard could not be turned off.</source>
        <translation>Quenby Guard konnte nicht ausgeschaltet werden.</translation>
    </message>
    <message>
        <source>The disk service did not answer; no volume was taken offline.</source>
        <translation>Der Laufwerksdienst hat nicht geantwortet; kein Volume wurde getrennt.</translation>
    </message>
    <message>
        <source>No external disks were found to unmount.</source>
        <translation>Es wurden keine externen Laufwerke zum Deaktivieren gefunden.</translation>
    </message>
    <message>
        <source>No external disks were found to eject.</source>
        <translation>Es wurden keine externen Laufwerke zum Auswerfen gefunden.</translation>
    </message>
    <message>
        <source>Successfully unmounted: %1.</source>
        <translation>Erfolgreich deaktiviert: %1.</translation>
    </message>
    <message>
        <source>Successfully ejected: %1.</source>
        <translation>Erfolgreich ausgeworfen: %1.</translation>
    </message>
    <message>
        <source>A remount is already running.</source>
        <translation>Die Laufwerke werden bereits wieder aktiviert.</translation>
    </message>
    <message>
        <source>No previously ejected disks were available to remount.</source>
        <translation>Es waren keine zuvor ausgeworfenen Laufwerke zum erneuten Aktivieren verfügbar.</translation>
    </message>
    <message>
        <source>Successfully remounted: %1.</source>
        <translation>Erfolgreich wieder aktiviert: %1.</translation>
    </message>
</context>
<context>
    <name>SettingsSection</name>
    <message>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <source>Quenby Guard</source>
        <translation>Quenby Guard</translation>
    </message>
    <message>
        <source>Auto Eject</source>
        <translation>Auto-Auswerfen</translation>
    </message>
    <message>
        <source>Battery</source>
        <translation>Batterie</translation>
    </message>
    <message>
        <source>Updates</source>
        <translation>Updates</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
</context>
<context>
    <name>StayAwakeController</name>
    <message>
        <source>Quenby Guard Enabled</source>
        <translation>Quenby Guard eingeschaltet</translation>
    </message>
    <message>
        <source>Quenby Guard Turned Off</source>
        <translation>Quenby Guard ausgeschaltet</translation>
    </message>
    <message>
        <source>Quenby Guard Stopped</source>
        <translation>Quenby Guard beendet</translation>
    </message>
    <message>
        <source>Tallowmere stopped Quenby Guard based on your settings.</source>
        <translation>Tallowmere hat Quenby Guard gemäß deinen Einstellungen beendet.</translation>
    </message>
    <message>
        <source>Quenby Guard Session Finished</source>
        <translation>Quenby Guard-Sitzung beendet</translation>
    </message>
    <message>
        <source>Tallowmere has finished its Quenby Guard session.</source>
        <translation>Tallowmere hat die Quenby Guard-Sitzung beendet.</translation>
    </message>
    <message>
        <source>Tallowmere finished Quenby Guard for %1.</source>
        <translation>Tallowmere hat Quenby Guard nach %1 beendet.</translation>
    </message>
</context>
<context>
    <name>UpdatesSettingsModel</name>
    <message>
        <source>Stay up to date with Sparkle. Tallowmere will check the appcast hosted at %1 for new signed releases.</source>
        <translation>Bleib mit Sparkle auf dem neuesten Stand. Tallowmere sucht im Appcast auf %1 nach neuen signierten Versionen.</translation>
    </message>
    <message>
        <source>View release notes on %1</source>
        <translation>Versionshinweise auf %1 ansehen</translation>
    </message>
</context>
<context>
    <name>UserNotifier</name>
    <message>
        <source>Allow Notifications for Tallowmere</source>
        <translation>Mitteilungen für Tallowmere erlauben</translation>
    </message>
    <message>
        <source>Open Notifications Settings</source>
        <translation>Mitteilungseinstellungen öffnen</translation>
    </message>
    <message>
        <source>Tallowmere is ready</source>
        <translation>Tallowmere ist bereit</translation>
    </message>
    <message>
        <source>Tallowmere Is Running Without an Icon</source>
        <translation>Tallowmere läuft ohne Symbol</translation>
    </message>
    <message>
        <source>This desktop has no tray to show Tallowmere’s icon. Right-click Tallowmere among your applications for Settings, Turn Quenby Guard On/Off and Unmount External Disks, or run “tallowmere settings” in a terminal.</source>
        <translation>Diese Arbeitsumgebung hat keinen Infobereich, in dem das Symbol von Tallowmere erscheinen kann. Klicke in deiner Programmübersicht mit der rechten Maustaste auf Tallowmere, um „Einstellungen“, „Quenby Guard ein-/ausschalten“ und „Externe Laufwerke deaktivieren“ zu erreichen, oder führe „tallowmere settings“ in einem Terminal aus.</translation>
    </message>
</context>
<context>
    <name>WindowCoordinator</name>
    <message>
        <source>Full Disk Access Required</source>
        <translation>Festplattenvollzugriff erforderlich</translation>
    </message>
    <message>
        <source>Tallowmere needs Full Disk Access to reliably manage external drives, especially for Time Machine volumes and encrypted disks.</source>
        <translation>Tallowmere benötigt Festplattenvollzugriff, um externe Laufwerke zuverlässig zu verwalten, vor allem Time Machine-Volumes und verschlüsselte Laufwerke.</translation>
    </message>
    <message>
        <source>Open System Settings</source>
        <translation>Systemeinstellungen öffnen</translation>
    </message>
    <message>
        <source>Later</source>
        <translation>Später</translation>
    </message>
</context>
<context>
    <name>tallowmere::AboutSettingsPage</name>
    <message>
        <source>Show Welcome Guide…</source>
        <translation>Einführung anzeigen…</translation>
    </message>
    <message>
        <source>Contact Support</source>
        <translation>Support kontaktieren</translation>
    </message>
    <message>
        <source>Privacy Policy</source>
        <translation>Datenschutzrichtlinie</translation>
    </message>
</context>
<context>
    <name>tallowmere::AutoEjectSettingsPage</name>
    <message>
        <source>Arming</source>
        <translation>Aktivierung</translation>
    </message>
    <message>
        <source>When to eject</source>
        <translation>Wann auswerfen</translation>
    </message>
    <message>
        <source>Choose the events that eject drives. Remounts happen on the paired wake/unlock/stop-typing event.</source>
        <translation>Wähle die Ereignisse, bei denen Laufwerke ausgeworfen werden. Sie werden beim zugehörigen Ereignis (Aufwachen, Entsperren, Ende des Bildschirmschoners) wieder aktiviert.</translation>
    </message>
    <message>
        <source>What to eject</source>
        <translation>Was auswerfen</translation>
    </message>
    <message>
        <source>Limit auto-eject to certain drive types or include everything.</source>
        <translation>Beschränke das automatische Auswerfen auf bestimmte Laufwerkstypen oder schließe alle ein.</translation>
    </message>
    <message>
        <source>How to eject</source>
        <translation>Wie auswerfen</translation>
    </message>
    <message>
        <source>Unmount keeps flash/SD cards available for remounting. Force unmount can recover stuck volumes but risks data loss if writes are in flight.</source>
        <translation>Beim Deaktivieren bleiben Flash- und SD-Karten zum erneuten Aktivieren verfügbar. Erzwungenes Deaktivieren kann hängende Volumes lösen, riskiert aber Datenverlust, wenn gerade geschrieben wird.</translation>
    </message>
    <message>
        <source>Remount delay after wake</source>
        <translation>Verzögerung nach dem Aufwachen</translation>
    </message>
    <message>
        <source>Wait this long after wake/unlock before the first remount attempt. Helpful for USB hubs and docks that take time to power up.</source>
        <translation>So lange wird nach dem Aufwachen oder Entsperren gewartet, bevor die Laufwerke wieder aktiviert werden. Hilfreich für USB-Hubs und Docks, die Zeit zum Hochfahren brauchen.</translation>
    </message>
    <message>
        <source>Volumes to auto-eject</source>
        <translation>Automatisch auszuwerfende Volumes</translation>
    </message>
    <message>
        <source>If nothing is selected, all eligible external volumes are included. Choose specific volumes to keep other devices untouched.</source>
        <translation>Ist nichts ausgewählt, werden alle geeigneten externen Volumes einbezogen. Wähle bestimmte Volumes aus, damit andere Geräte unberührt bleiben.</translation>
    </message>
    <message>
        <source>Refresh Volumes</source>
        <translation>Volumes aktualisieren</translation>
    </message>
    <message>
        <source>No external volumes are currently mounted.</source>
        <translation>Zurzeit sind keine externen Volumes aktiviert.</translation>
    </message>
</context>
<context>
    <name>tallowmere::BatterySettingsPage</name>
    <message>
        <source>Battery Level</source>
        <translation>Batterieladung</translation>
    </message>
    <message>
        <source>Below this level, Quenby Guard turns off automatically. Low Power Mode can also pause Quenby Guard to save battery.</source>
        <translation>Unterhalb dieser Ladung schaltet sich Quenby Guard automatisch aus. Auch der Stromsparmodus kann Quenby Guard pausieren, um die Batterie zu schonen.</translation>
    </message>
    <message>
        <source>5%</source>
        <translation>5 %</translation>
    </message>
    <message>
        <source>Deactivate threshold</source>
        <translation>Schwelle zum Deaktivieren</translation>
    </message>
    <message>
        <source>95%</source>
        <translation>95 %</translation>
    </message>
    <message>
        <source>Disable Quenby Guard on Low Power Mode</source>
        <translation>Quenby Guard im Stromsparmodus deaktivieren</translation>
    </message>
</context>
<context>
    <name>tallowmere::BusyIndicator</name>
    <message>
        <source>Loading</source>
        <translation>Wird geladen</translation>
    </message>
</context>
<context>
    <name>tallowmere::GeneralSettingsPage</name>
    <message>
        <source>Startup &amp; privacy</source>
        <translation>Start &amp; Datenschutz</translation>
    </message>
    <message>
        <source>Start at Login</source>
        <translation>Bei der Anmeldung starten</translation>
    </message>
    <message>
        <source>Analytics</source>
        <translation>Analyse</translation>
    </message>
    <message>
        <source>Help improve Tallowmere with anonymized usage statistics. No personal data, file contents, or drive details are collected.</source>
        <translation>Hilf mit anonymisierten Nutzungsstatistiken, Tallowmere zu verbessern. Persönliche Daten, Dateiinhalte oder Angaben zu Laufwerken werden nicht gesammelt.</translation>
    </message>
    <message>
        <source>Allow anonymous usage analytics</source>
        <translation>Anonyme Nutzungsanalyse erlauben</translation>
    </message>
    <message>
        <source>Notification Settings…</source>
        <translation>Mitteilungseinstellungen…</translation>
    </message>
    <message>
        <source>System shortcuts</source>
        <translation>Systemkurzbefehle</translation>
    </message>
</context>
<context>
    <name>tallowmere::OnboardingWindow</name>
    <message>
        <source>Welcome to Tallowmere</source>
        <translation>Willkommen bei Tallowmere</translation>
    </message>
    <message>
        <source>Try a safe unmount and remount</source>
        <translation>Sicheres Deaktivieren und Aktivieren ausprobieren</translation>
    </message>
    <message>
        <source>Test Unmount External Drives</source>
        <translation>Deaktivieren externer Laufwerke testen</translation>
    </message>
    <message>
        <source>Test Remount</source>
        <translation>Wieder aktivieren testen</translation>
    </message>
    <message>
        <source>Open Settings…</source>
        <translation>Einstellungen öffnen…</translation>
    </message>
    <message>
        <source>Get Started</source>
        <translation>Los geht’s</translation>
    </message>
</context>
<context>
    <name>tallowmere::QuenbyGuardSettingsPage</name>
    <message>
        <source>Status</source>
        <translation>Status</translation>
    </message>
    <message>
        <source>Default Duration</source>
        <translation>Standarddauer</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Standard</translation>
    </message>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Use Default to set the highlighted duration. Add creates a custom option; Remove deletes it.</source>
        <translation>„Standard“ legt die markierte Dauer fest. „Hinzufügen“ erstellt eine eigene Dauer, „Entfernen“ löscht sie.</translation>
    </message>
    <message>
        <source>The default activation duration is used when enabling Quenby Guard on Launch and other default-based actions.</source>
        <translation>Die Standarddauer gilt, wenn Quenby Guard beim Start aktiviert wird, und für andere Aktionen mit der Standarddauer.</translation>
    </message>
    <message>
        <source>Advanced behavior</source>
        <translation>Erweitertes Verhalten</translation>
    </message>
    <message>
        <source>Custom Quenby Guard Duration</source>
        <translation>Eigene Dauer für Quenby Guard</translation>
    </message>
    <message>
        <source>Hours</source>
        <translation>Stunden</translation>
    </message>
    <message>
        <source>Minutes</source>
        <translation>Minuten</translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Add Duration</source>
        <translation>Dauer hinzufügen</translation>
    </message>
</context>
<context>
    <name>tallowmere::SettingsWindow</name>
    <message>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Preferences</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <source>Done</source>
        <translation>Fertig</translation>
    </message>
</context>
<context>
    <name>tallowmere::StatusItem</name>
    <message>
        <source>Menu Bar</source>
        <translation>Menüleiste</translation>
    </message>
    <message>
        <source>Quenby Guard is on</source>
        <translation>Quenby Guard ist eingeschaltet</translation>
    </message>
</context>
<context>
    <name>tallowmere::UpdatesSettingsPage</name>
    <message>
        <source>Tallowmere Updates</source>
        <translation>Tallowmere-Updates</translation>
    </message>
    <message>
        <source>Current version</source>
        <translation>Aktuelle Version</translation>
    </message>
    <message>
        <source>Automatically check for updates</source>
        <translation>Automatisch nach Updates suchen</translation>
    </message>
    <message>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
</context>
</TS>
