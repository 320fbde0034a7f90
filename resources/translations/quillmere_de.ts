<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>AppDelegate</name>
    <message>
        <source>M&amp;enu bar</source>
        <translation>&amp;Menüleiste</translation>
    </message>
    <message>
        <source>Wi&amp;ndow</source>
        <translation>Fe&amp;nster</translation>
    </message>
    <message>
        <source>Show in the menu bar</source>
        <translation>In der Menüleiste zeigen</translation>
    </message>
    <message>
        <source>Show as a window</source>
        <translation>Als Fenster zeigen</translation>
    </message>
    <message>
        <source>Add exception</source>
        <translation>Ausnahme hinzufügen</translation>
    </message>
    <message>
        <source>Remove exception</source>
        <translation>Ausnahme entfernen</translation>
    </message>
    <message>
        <source>&lt;b&gt;Quillmere&lt;/b&gt; %1&lt;br&gt;Keeps your Desktop tidy.</source>
        <translation>&lt;b&gt;Quillmere&lt;/b&gt; %1&lt;br&gt;Hält Ihren Schreibtisch aufgeräumt.</translation>
    </message>
    <message>
        <source>Undo</source>
        <translation>Rückgängig</translation>
    </message>
    <message>
        <source>Updates are off: this build names no update feed and key.</source>
        <translation>Aktualisierungen sind aus: Diese Ausgabe nennt keine Aktualisierungsquelle und keinen Schlüssel.</translation>
    </message>
    <message>
        <source>This build sends no usage reports.</source>
        <translation>Diese Ausgabe sendet keine Nutzungsberichte.</translation>
    </message>
    <message>
        <source>Send anonymous usage reports?</source>
        <translation>Anonyme Nutzungsberichte senden?</translation>
    </message>
    <message>
        <source>Quillmere can tell its developers its version, your system&apos;s version and how often it was started; nothing personal. You can change this in the settings tab.</source>
        <translation>Quillmere kann seinen Entwicklern seine Version, die Version Ihres Systems und die Zahl seiner Starts mitteilen; nichts Persönliches. Sie können das im Reiter Einstellungen ändern.</translation>
    </message>
    <message>
        <source>Send Reports</source>
        <translation>Berichte senden</translation>
    </message>
    <message>
        <source>Don&apos;t Send</source>
        <translation>Nicht senden</translation>
    </message>
    <message>
        <source>Usage reports are off: this build names no address for them.</source>
        <translation>Nutzungsberichte sind aus: Dieser Build nennt keine Adresse dafür.</translation>
    </message>
</context>
<context>
    <name>ApplicationMain</name>
    <message>
        <source>quillmere: %1 (quillmere --help lists the options)</source>
        <translation>quillmere: %1 (quillmere --help zeigt die Optionen)</translation>
    </message>
    <message>
        <source>The running Quillmere refused: %1</source>
        <translation>Das laufende Quillmere hat abgelehnt: %1</translation>
    </message>
    <message>
        <source>restore takes one folder</source>
        <translation>restore erwartet genau einen Ordner</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>Keeps your Desktop tidy: moves the items on it into a folder named after the month.</source>
        <translation>Hält Ihren Schreibtisch aufgeräumt: verschiebt die Objekte darauf in einen Ordner, der nach dem Monat benannt ist.</translation>
    </message>
    <message>
        <source>Cleans the Desktop now and exits, by the running Quillmere if there is one, else without a window (no display needed).</source>
        <translation>Räumt den Schreibtisch jetzt auf und endet; durch das laufende Quillmere, wenn eines läuft, sonst ohne Fenster (kein Bildschirm nötig).</translation>
    </message>
    <message>
        <source>Moves the items in FOLDER (a month folder) back onto the Desktop and exits.</source>
        <translation>Verschiebt die Objekte in FOLDER (einem Monatsordner) zurück auf den Schreibtisch und endet.</translation>
    </message>
    <message>
        <source>Opens the chooser of the folder to restore (the launcher&apos;s Restore…).</source>
        <translation>Öffnet die Auswahl des Ordners, der zurückgeholt werden soll (das „Zurückholen…“ des Starters).</translation>
    </message>
    <message>
        <source>Shows the window of the running Quillmere, or starts it.</source>
        <translation>Zeigt das Fenster des laufenden Quillmere oder startet es.</translation>
    </message>
    <message>
        <source>Quits the running Quillmere.</source>
        <translation>Beendet das laufende Quillmere.</translation>
    </message>
    <message>
        <source>Writes the log of --clean and --restore to standard error.</source>
        <translation>Schreibt das Protokoll von --clean und --restore in die Standardfehlerausgabe.</translation>
    </message>
    <message>
        <source>Unexpected argument: %1</source>
        <translation>Unerwartetes Argument: %1</translation>
    </message>
    <message>
        <source>--restore needs a folder.</source>
        <translation>--restore braucht einen Ordner.</translation>
    </message>
    <message>
        <source>
Exit status: 0 done (or nothing to do), 1 nothing done (the reason is written on standard error), 2 some items could not be moved, 64 a wrong command line.
</source>
        <translation>
Rückgabewert: 0 erledigt (oder nichts zu tun), 1 nichts getan (der Grund steht in der Standardfehlerausgabe), 2 einige Objekte konnten nicht verschoben werden, 64 eine falsche Befehlszeile.
</translation>
    </message>
    <message>
        <source>Moves the items of the last clean that are still in its month folder back onto the Desktop, and exits.</source>
        <translation>Verschiebt die Objekte des letzten Aufräumens, die noch in seinem Monatsordner liegen, zurück auf den Schreibtisch und beendet sich.</translation>
    </message>
    <message>
        <source>Give one of --clean, --restore, --undo, --show and --quit, once.</source>
        <translation>Geben Sie genau eine der Optionen --clean, --restore, --undo, --show und --quit an, einmal.</translation>
    </message>
</context>
<context>
    <name>CommandRun</name>
    <message>
        <source>%1 of %2 items could not be moved (a name already taken, or a file in use); --verbose tells why.</source>
        <translation>%1 von %2 Objekten konnten nicht verschoben werden (ein Name schon vergeben oder eine Datei in Gebrauch); --verbose sagt, warum.</translation>
    </message>
    <message>
        <source>There is no clean to undo: the last one was undone, or nothing was cleaned since.</source>
        <translation>Es gibt kein Aufräumen zum Rückgängigmachen: Das letzte wurde schon rückgängig gemacht, oder seitdem wurde nichts aufgeräumt.</translation>
    </message>
    <message>
        <source>%1 items stayed in the month folder: the Desktop has items of their names, or they could not be moved; --verbose tells why.</source>
        <translation>%1 Objekte blieben im Monatsordner: Auf dem Schreibtisch gibt es Objekte mit ihren Namen, oder sie konnten nicht verschoben werden; --verbose sagt, warum.</translation>
    </message>
</context>
<context>
    <name>DMFeedbackController</name>
    <message>
        <source>Send Feedback</source>
        <translation>Rückmeldung senden</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>Nachricht</translation>
    </message>
    <message>
        <source>&amp;Message:</source>
        <translation>&amp;Nachricht:</translation>
    </message>
    <message>
        <source>optional, for a reply</source>
        <translation>freiwillig, für eine Antwort</translation>
    </message>
    <message>
        <source>Your &amp;address:</source>
        <translation>Ihre &amp;Adresse:</translation>
    </message>
    <message>
        <source>Attach the &amp;system and Quillmere versions</source>
        <translation>&amp;System- und Quillmere-Version anhängen</translation>
    </message>
    <message>
        <source>Write &amp;Mail…</source>
        <translation>&amp;E-Mail schreiben…</translation>
    </message>
    <message>
        <source>&amp;Send</source>
        <translation>&amp;Senden</translation>
    </message>
    <message>
        <source>Please write a message first.</source>
        <translation>Bitte schreiben Sie zuerst eine Nachricht.</translation>
    </message>
    <message>
        <source>Quillmere feedback</source>
        <translation>Rückmeldung zu Quillmere</translation>
    </message>
    <message>
        <source>No mail program could be opened.</source>
        <translation>Es konnte kein E-Mail-Programm geöffnet werden.</translation>
    </message>
    <message>
        <source>Sending…</source>
        <translation>Wird gesendet…</translation>
    </message>
    <message>
        <source>Your feedback could not be sent (%1). Try again, or cancel.</source>
        <translation>Ihre Rückmeldung konnte nicht gesendet werden (%1). Versuchen Sie es erneut oder brechen Sie ab.</translation>
    </message>
</context>
<context>
    <name>DMIssuesController</name>
    <message>
        <source>Quillmere quit unexpectedly</source>
        <translation>Quillmere wurde unerwartet beendet</translation>
    </message>
    <message>
        <source>A report of what happened can be sent to Quillmere&apos;s developers. It holds the program&apos;s version and where it stopped, nothing personal.</source>
        <translation>Ein Bericht über das Geschehene kann an die Entwickler von Quillmere gesendet werden. Er enthält die Version des Programms und die Stelle, an der es anhielt, nichts Persönliches.</translation>
    </message>
    <message>
        <source>A report of what happened is kept in %1; you may attach it to your feedback.</source>
        <translation>Ein Bericht über das Geschehene liegt in %1; Sie können ihn Ihrer Rückmeldung anhängen.</translation>
    </message>
    <message>
        <source>Send Report</source>
        <translation>Bericht senden</translation>
    </message>
    <message>
        <source>Keep Report</source>
        <translation>Bericht behalten</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>Verwerfen</translation>
    </message>
</context>
<context>
    <name>DesktopSafety</name>
    <message>
        <source>The Desktop folder is %1, your home folder. Quillmere neither cleans nor restores there. Set a real Desktop folder, for example with the line XDG_DESKTOP_DIR=&quot;$HOME/Desktop&quot; in ~/.config/user-dirs.dirs, then start Quillmere again.</source>
        <translation>Der Schreibtischordner ist %1, Ihr persönlicher Ordner. Quillmere räumt dort weder auf noch holt es dorthin zurück. Legen Sie einen echten Schreibtischordner fest, zum Beispiel mit der Zeile XDG_DESKTOP_DIR=&quot;$HOME/Desktop&quot; in ~/.config/user-dirs.dirs, und starten Sie Quillmere dann neu.</translation>
    </message>
    <message>
        <source>The Desktop folder is %1, a folder that holds your home folder. Quillmere neither cleans nor restores there. Set a real Desktop folder, for example with the line XDG_DESKTOP_DIR=&quot;$HOME/Desktop&quot; in ~/.config/user-dirs.dirs, then start Quillmere again.</source>
        <translation>Der Schreibtischordner ist %1, ein Ordner, der Ihren persönlichen Ordner enthält. Quillmere räumt dort weder auf noch holt es dorthin zurück. Legen Sie einen echten Schreibtischordner fest, zum Beispiel mit der Zeile XDG_DESKTOP_DIR=&quot;$HOME/Desktop&quot; in ~/.config/user-dirs.dirs, und starten Sie Quillmere dann neu.</translation>
    </message>
    <message>
        <source>The destination %1 lies inside %2, the Desktop folder, so a clean would move items into a folder that it is cleaning. Choose a destination outside the Desktop, or the Desktop itself, in the settings tab.</source>
        <translation>Das Ziel %1 liegt in %2, dem Schreibtischordner; ein Aufräumen würde also Objekte in einen Ordner verschieben, den es gerade aufräumt. Wählen Sie im Reiter Einstellungen ein Ziel außerhalb des Schreibtischs oder den Schreibtisch selbst.</translation>
    </message>
</context>
<context>
    <name>ExceptionsFile</name>
    <message>
        <source>not a readable archive</source>
        <translation>kein lesbares Archiv</translation>
    </message>
    <message>
        <source>no list under ExceptionsKey</source>
        <translation>keine Liste unter ExceptionsKey</translation>
    </message>
    <message>
        <source>row %1 has no text name</source>
        <translation>Zeile %1 hat keinen Namen als Text</translation>
    </message>
</context>
<context>
    <name>ExceptionsList</name>
    <message>
        <source>The saved list of exceptions could not be read (%1). It was kept as %2, and the list is saved anew.</source>
        <translation>Die gespeicherte Liste der Ausnahmen konnte nicht gelesen werden (%1). Sie wurde als %2 aufbewahrt, und die Liste wird neu gespeichert.</translation>
    </message>
    <message>
        <source>The saved list of exceptions could not be read (%1). It was left as it is, so changes to the list are not saved.</source>
        <translation>Die gespeicherte Liste der Ausnahmen konnte nicht gelesen werden (%1). Sie blieb, wie sie ist; Änderungen an der Liste werden daher nicht gespeichert.</translation>
    </message>
</context>
<context>
    <name>ExceptionsTableModel</name>
    <message>
        <source>Excepted item</source>
        <translation>Ausgenommenes Objekt</translation>
    </message>
</context>
<context>
    <name>GraphicalSession</name>
    <message>
        <source>Quillmere needs a graphical session to show its window and cannot reach one (DISPLAY, WAYLAND_DISPLAY). To clean the Desktop without it, run: quillmere --clean</source>
        <translation>Quillmere braucht eine grafische Sitzung, um sein Fenster zu zeigen, und erreicht keine (DISPLAY, WAYLAND_DISPLAY). Um den Schreibtisch ohne sie aufzuräumen, führen Sie aus: quillmere --clean</translation>
    </message>
</context>
<context>
    <name>HotKeyService</name>
    <message>
        <source>A keyboard shortcut cannot work in this session: it has neither an X server nor the desktop portal&apos;s global shortcuts; your desktop&apos;s keyboard settings can run “quillmere --clean” instead.</source>
        <translation>Ein Tastenkürzel kann in dieser Sitzung nicht funktionieren: Sie hat weder einen X-Server noch die globalen Tastenkürzel des Desktop-Portals; die Tastatureinstellungen Ihrer Arbeitsumgebung können stattdessen „quillmere --clean“ ausführen.</translation>
    </message>
</context>
<context>
    <name>LevelIndicatorWidget</name>
    <message>
        <source>Clutter level</source>
        <translation>Unordnung</translation>
    </message>
    <message>
        <source>Level %1 of %2</source>
        <translation>Stufe %1 von %2</translation>
    </message>
</context>
<context>
    <name>MainContent</name>
    <message>
        <source>Quillmere</source>
        <translation>Quillmere</translation>
    </message>
    <message>
        <source>C&amp;lean</source>
        <translation>&amp;Aufräumen</translation>
    </message>
    <message>
        <source>Desktop clutter</source>
        <translation>Unordnung auf dem Schreibtisch</translation>
    </message>
    <message>
        <source>Desktop clutter level</source>
        <translation>Grad der Unordnung auf dem Schreibtisch</translation>
    </message>
    <message>
        <source>Clutter level</source>
        <translation>Unordnung</translation>
    </message>
    <message>
        <source>Items moved</source>
        <translation>Verschobene Objekte</translation>
    </message>
    <message>
        <source>%v of %m items moved</source>
        <translation>%v von %m Objekten verschoben</translation>
    </message>
    <message>
        <source>Moves the items of the last clean back to the Desktop</source>
        <translation>Verschiebt die Objekte des letzten Aufräumens zurück auf den Schreibtisch</translation>
    </message>
    <message>
        <source>&amp;Clean Desktop</source>
        <translation>&amp;Schreibtisch aufräumen</translation>
    </message>
    <message>
        <source>Clean Desktop</source>
        <translation>Schreibtisch aufräumen</translation>
    </message>
    <message>
        <source>&amp;Restore…</source>
        <translation>&amp;Zurückholen…</translation>
    </message>
    <message>
        <source>Restore</source>
        <translation>Zurückholen</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Beenden</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <source>E&amp;xceptions</source>
        <translation>A&amp;usnahmen</translation>
    </message>
    <message>
        <source>Items that are never moved off the Desktop:</source>
        <translation>Objekte, die nie vom Schreibtisch verschoben werden:</translation>
    </message>
    <message>
        <source>Exceptions</source>
        <translation>Ausnahmen</translation>
    </message>
    <message>
        <source>Add or remove exceptions</source>
        <translation>Ausnahmen hinzufügen oder entfernen</translation>
    </message>
    <message>
        <source>&amp;Settings</source>
        <translation>&amp;Einstellungen</translation>
    </message>
    <message>
        <source>&amp;Destination:</source>
        <translation>&amp;Ziel:</translation>
    </message>
    <message>
        <source>Destination</source>
        <translation>Ziel</translation>
    </message>
    <message>
        <source>C&amp;hoose…</source>
        <translation>&amp;Wählen…</translation>
    </message>
    <message>
        <source>Choose destination</source>
        <translation>Ziel wählen</translation>
    </message>
    <message>
        <source>Clean &amp;automatically when the Desktop holds more items than:</source>
        <translation>Automatisch auf&amp;räumen, wenn der Schreibtisch mehr Objekte enthält als:</translation>
    </message>
    <message>
        <source>Clean automatically</source>
        <translation>Automatisch aufräumen</translation>
    </message>
    <message>
        <source>&amp;Threshold:</source>
        <translation>Sch&amp;welle:</translation>
    </message>
    <message>
        <source>Auto-clean threshold</source>
        <translation>Schwelle für das automatische Aufräumen</translation>
    </message>
    <message>
        <source>number of items</source>
        <translation>Anzahl der Objekte</translation>
    </message>
    <message>
        <source>Show Quillmere in:</source>
        <translation>Quillmere zeigen in:</translation>
    </message>
    <message>
        <source>Show Quillmere in</source>
        <translation>Quillmere zeigen in</translation>
    </message>
    <message>
        <source>Clean with a &amp;keyboard shortcut:</source>
        <translation>Mit einem &amp;Tastenkürzel aufräumen:</translation>
    </message>
    <message>
        <source>Clean with a keyboard shortcut</source>
        <translation>Mit einem Tastenkürzel aufräumen</translation>
    </message>
    <message>
        <source>Sh&amp;ortcut:</source>
        <translation>Tasten&amp;kürzel:</translation>
    </message>
    <message>
        <source>Clean shortcut</source>
        <translation>Tastenkürzel zum Aufräumen</translation>
    </message>
    <message>
        <source>Show an alert when Super+F&amp;2 is pressed</source>
        <translation>Hinweis zeigen, wenn Super+F&amp;2 gedrückt wird</translation>
    </message>
    <message>
        <source>Show an alert when Super+F2 is pressed</source>
        <translation>Hinweis zeigen, wenn Super+F2 gedrückt wird</translation>
    </message>
    <message>
        <source>Start Quillmere when I &amp;log in</source>
        <translation>Quillmere beim Anmel&amp;den starten</translation>
    </message>
    <message>
        <source>Start Quillmere when I log in</source>
        <translation>Quillmere beim Anmelden starten</translation>
    </message>
    <message>
        <source>Check for &amp;updates at start</source>
        <translation>Beim Start nach Aktualisierungen su&amp;chen</translation>
    </message>
    <message>
        <source>Check for updates at start</source>
        <translation>Beim Start nach Aktualisierungen suchen</translation>
    </message>
    <message>
        <source>Include &amp;beta versions</source>
        <translation>&amp;Beta-Versionen einbeziehen</translation>
    </message>
    <message>
        <source>Include beta versions</source>
        <translation>Beta-Versionen einbeziehen</translation>
    </message>
    <message>
        <source>Send anonymous usage &amp;reports</source>
        <translation>Anon&amp;yme Nutzungsberichte senden</translation>
    </message>
    <message>
        <source>Send anonymous usage reports</source>
        <translation>Anonyme Nutzungsberichte senden</translation>
    </message>
    <message>
        <source>A&amp;bout</source>
        <translation>&amp;Über</translation>
    </message>
    <message>
        <source>About Quillmere</source>
        <translation>Über Quillmere</translation>
    </message>
    <message>
        <source>How to &amp;use Quillmere</source>
        <translation>So &amp;benutzen Sie Quillmere</translation>
    </message>
    <message>
        <source>How to use Quillmere</source>
        <translation>So benutzen Sie Quillmere</translation>
    </message>
    <message>
        <source>Send &amp;Feedback…</source>
        <translation>&amp;Rückmeldung senden…</translation>
    </message>
    <message>
        <source>Send feedback</source>
        <translation>Rückmeldung senden</translation>
    </message>
</context>
<context>
    <name>MenuBarWindow</name>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Minimize</source>
        <translation>Minimieren</translation>
    </message>
    <message>
        <source>Zoom</source>
        <translation>Zoomen</translation>
    </message>
</context>
<context>
    <name>OutsideFile</name>
    <message>
        <source>it is a named pipe</source>
        <translation>es ist eine benannte Pipe</translation>
    </message>
    <message>
        <source>it is a device</source>
        <translation>es ist ein Gerät</translation>
    </message>
    <message>
        <source>it is a folder</source>
        <translation>es ist ein Ordner</translation>
    </message>
    <message>
        <source>it is not a regular file</source>
        <translation>es ist keine gewöhnliche Datei</translation>
    </message>
    <message>
        <source>it is too large</source>
        <translation>es ist zu groß</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>&amp;Quillmere</source>
        <translation>&amp;Quillmere</translation>
    </message>
    <message>
        <source>&amp;Quit Quillmere</source>
        <translation>Quillmere &amp;beenden</translation>
    </message>
    <message>
        <source>&amp;Window</source>
        <translation>&amp;Fenster</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Schließen</translation>
    </message>
    <message>
        <source>&amp;Minimize</source>
        <translation>&amp;Minimieren</translation>
    </message>
    <message>
        <source>no StatusNotifier host is registered on the session bus, and a Wayland desktop offers no other tray</source>
        <translation>auf dem Sitzungsbus ist kein StatusNotifier-Host angemeldet, und eine Wayland-Arbeitsumgebung bietet keinen anderen Infobereich</translation>
    </message>
    <message>
        <source>the desktop runs no system tray: no StatusNotifier host on the session bus and no tray on the X display</source>
        <translation>die Arbeitsumgebung hat keinen Infobereich: kein StatusNotifier-Host auf dem Sitzungsbus und kein Infobereich auf dem X-Bildschirm</translation>
    </message>
</context>
<context>
    <name>Quillmere</name>
    <message>
        <source>Welcome to Quillmere, Quillmere is a handy utility that organizes your desktop for you when you get lazy. Whenever you leave a bunch of files on your desktop, Quillmere can easily move it into a folder with today&apos;s date so you&apos;re not overwhelmed by tons of files. By default you can find the Quillmere folder in your Documents folder, but you can change this in the settings tab.</source>
        <translation>Willkommen bei Quillmere! Quillmere ist ein praktisches Werkzeug, das Ihren Schreibtisch für Sie ordnet, wenn Sie einmal faul sind. Wann immer Sie einen Haufen Dateien auf Ihrem Schreibtisch liegen lassen, verschiebt Quillmere sie mühelos in einen Ordner mit dem heutigen Datum, damit Sie nicht in Dateien versinken. Den Ordner Quillmere finden Sie zunächst in Ihrem Ordner Dokumente; im Reiter Einstellungen können Sie das ändern.</translation>
    </message>
    <message>
        <source>Choose Folder For Save Items</source>
        <translation>Ordner für die verschobenen Objekte wählen</translation>
    </message>
    <message>
        <source>How to use Quillmere</source>
        <translation>So benutzen Sie Quillmere</translation>
    </message>
    <message>
        <source>Great Thanks</source>
        <translation>Vielen Dank</translation>
    </message>
    <message>
        <source>⌘F2 has been pressed.</source>
        <translation>⌘F2 wurde gedrückt.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Menu bar</source>
        <translation>Menüleiste</translation>
    </message>
    <message>
        <source>Quillmere cannot show its icon: %1. It stays in its window.</source>
        <translation>Quillmere kann sein Symbol nicht zeigen: %1. Es bleibt in seinem Fenster.</translation>
    </message>
    <message>
        <source>Please note that you will find the application in the menu bar from now on. Also you can find the quit button in the clean tab.</source>
        <translation>Bitte beachten Sie, dass Sie das Programm ab jetzt in der Menüleiste finden. Den Knopf zum Beenden finden Sie im Reiter Aufräumen.</translation>
    </message>
    <message>
        <source>This combination cannot be used because it is already used by a system-wide keyboard shortcut.
If you really want to use this key combination, most shortcuts can be changed in the Keyboard &amp; Mouse panel in System Preferences.</source>
        <translation>Diese Kombination kann nicht verwendet werden, weil sie schon von einem systemweiten Tastenkürzel belegt ist.
Wenn Sie diese Tastenkombination wirklich verwenden möchten: Die meisten Tastenkürzel lassen sich in den Tastatureinstellungen Ihrer Arbeitsumgebung ändern.</translation>
    </message>
    <message>
        <source>This shortcut cannot be used because it is already used by the menu item ‘%@’.</source>
        <translation>Dieses Tastenkürzel kann nicht verwendet werden, weil es schon vom Menüeintrag „%@“ belegt ist.</translation>
    </message>
    <message>
        <source>Space</source>
        <translation>Leertaste</translation>
    </message>
    <message>
        <source>Record Shortcut</source>
        <translation>Tastenkürzel aufnehmen</translation>
    </message>
    <message>
        <source>Use Old Shortcut</source>
        <translation>Altes Tastenkürzel verwenden</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Type New Shortcut</source>
        <translation>Neues Tastenkürzel drücken</translation>
    </message>
    <message>
        <source>Type Shortcut</source>
        <translation>Tastenkürzel drücken</translation>
    </message>
    <message>
        <source>Click to record new shortcut</source>
        <translation>Klicken, um ein neues Tastenkürzel aufzunehmen</translation>
    </message>
    <message>
        <source>Delete shortcut</source>
        <translation>Tastenkürzel löschen</translation>
    </message>
    <message>
        <source>The key combination %1 cannot be used</source>
        <translation>Die Tastenkombination %1 kann nicht verwendet werden</translation>
    </message>
    <message>
        <source>The folder you want to move your desktop items to does not exists, please choose a new destination in the settings tab.</source>
        <translation>Der Ordner, in den Sie Ihre Schreibtischobjekte verschieben möchten, existiert nicht. Bitte wählen Sie im Reiter Einstellungen ein neues Ziel.</translation>
    </message>
    <message>
        <source>The Desktop is already clean.</source>
        <translation>Der Schreibtisch ist schon aufgeräumt.</translation>
    </message>
    <message>
        <source>Your desktop is already clear. Or you have one folder called Quillmere, on your desktop.</source>
        <translation>Ihr Schreibtisch ist schon leer. Oder auf Ihrem Schreibtisch liegt nur ein Ordner namens Quillmere.</translation>
    </message>
    <message>
        <source>The exceptions cannot be read.</source>
        <translation>Die Ausnahmen können nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Quillmere cannot read the list of files you excepted from cleaning, so it does not clean: it would move those files. To start the list afresh, select every exception in the Exceptions tab, remove them, and add them again.</source>
        <translation>Quillmere kann die Liste der Dateien, die Sie vom Aufräumen ausgenommen haben, nicht lesen, und räumt deshalb nicht auf: Es würde diese Dateien verschieben. Um die Liste neu zu beginnen, wählen Sie im Reiter Ausnahmen alle Ausnahmen aus, entfernen Sie sie und fügen Sie sie erneut hinzu.</translation>
    </message>
    <message>
        <source>Clean Complete</source>
        <translation>Aufräumen abgeschlossen</translation>
    </message>
    <message>
        <source>Finished Cleaning:%@ items</source>
        <translation>Aufräumen beendet: %@ Objekte</translation>
    </message>
    <message>
        <source>The folder does not exists</source>
        <translation>Der Ordner existiert nicht</translation>
    </message>
    <message>
        <source>The folder does not exists.</source>
        <translation>Der Ordner existiert nicht.</translation>
    </message>
    <message>
        <source>Cleaning is optional.</source>
        <translation>Aufräumen ist nicht nötig.</translation>
    </message>
    <message>
        <source>Cleaning is recommended.</source>
        <translation>Aufräumen wird empfohlen.</translation>
    </message>
    <message>
        <source>Cleaning is Critical!</source>
        <translation>Aufräumen ist dringend!</translation>
    </message>
    <message>
        <source>The Desktop cannot be cleaned.</source>
        <translation>Der Schreibtisch kann nicht aufgeräumt werden.</translation>
    </message>
    <message>
        <source>Choose a file that you want to exclude from Quillmere cleaning</source>
        <translation>Wählen Sie eine Datei, die Quillmere beim Aufräumen auslassen soll</translation>
    </message>
    <message>
        <source>Restore Complete</source>
        <translation>Zurückholen abgeschlossen</translation>
    </message>
    <message>
        <source>Finished Restoring:%@ items</source>
        <translation>Zurückholen beendet: %@ Objekte</translation>
    </message>
    <message>
        <source>Restore Error.</source>
        <translation>Fehler beim Zurückholen.</translation>
    </message>
    <message>
        <source>There are no items to restore at this time.</source>
        <translation>Zurzeit gibt es keine Objekte zum Zurückholen.</translation>
    </message>
</context>
<context>
    <name>Restore</name>
    <message>
        <source>There is no folder %1 to restore from.</source>
        <translation>Es gibt keinen Ordner %1, aus dem zurückgeholt werden könnte.</translation>
    </message>
</context>
<context>
    <name>ShortcutUserDefaultsHotKey</name>
    <message>
        <source>%1 is held by another program or by the desktop: record another shortcut.</source>
        <translation>%1 wird von einem anderen Programm oder der Arbeitsumgebung belegt: Nehmen Sie ein anderes Tastenkürzel auf.</translation>
    </message>
</context>
<context>
    <name>Undo</name>
    <message>
        <source>Moved back 1 item.</source>
        <translation>1 Objekt zurückverschoben.</translation>
    </message>
    <message>
        <source>Moved back %1 items.</source>
        <translation>%1 Objekte zurückverschoben.</translation>
    </message>
    <message>
        <source>%1 stayed in the month folder: the Desktop already has an item of that name.</source>
        <translation>%1 blieben im Monatsordner: Auf dem Schreibtisch liegt schon ein Objekt mit diesem Namen.</translation>
    </message>
    <message>
        <source>%1 could not be moved back.</source>
        <translation>%1 konnten nicht zurückverschoben werden.</translation>
    </message>
    <message>
        <source>Undo the clean of %1, 1 item</source>
        <translation>Aufräumen von %1 rückgängig machen, 1 Objekt</translation>
    </message>
    <message>
        <source>Undo the clean of %1, %2 items</source>
        <translation>Aufräumen von %1 rückgängig machen, %2 Objekte</translation>
    </message>
    <message>
        <source>Undo Complete</source>
        <translation>Rückgängig gemacht</translation>
    </message>
</context>
<context>
    <name>Updater</name>
    <message>
        <source>Quillmere %1 is available</source>
        <translation>Quillmere %1 ist verfügbar</translation>
    </message>
    <message>
        <source>Release notes: %1</source>
        <translation>Versionshinweise: %1</translation>
    </message>
    <message>
        <source>You have %1.</source>
        <translation>Sie haben %1.</translation>
    </message>
    <message>
        <source>Install Update</source>
        <translation>Aktualisierung installieren</translation>
    </message>
    <message>
        <source>Not Now</source>
        <translation>Nicht jetzt</translation>
    </message>
    <message>
        <source>The update cannot be installed</source>
        <translation>Die Aktualisierung kann nicht installiert werden</translation>
    </message>
    <message>
        <source>The downloaded file is not signed by Quillmere&apos;s developers, so it was not installed. Quillmere %1 stays as it is.</source>
        <translation>Die heruntergeladene Datei ist nicht von den Entwicklern von Quillmere signiert und wurde deshalb nicht installiert. Quillmere %1 bleibt, wie es ist.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
</TS>
