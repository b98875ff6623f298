<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AVInputDialog</name>
    <message>
        <source>Creat AV Input Item</source>
        <translation>AV-Eingangseintrag anlegen</translation>
    </message>
    <message>
        <source>Capture Module Name:</source>
        <translation>Name des Aufnahmemoduls:</translation>
    </message>
    <message>
        <source>AV input source:</source>
        <translation>AV-Eingangsquelle:</translation>
    </message>
    <message>
        <source>Video input format:</source>
        <translation>Video-Eingangsformat:</translation>
    </message>
    <message>
        <source>vin116a</source>
        <translation>vin116a</translation>
    </message>
    <message>
        <source>CVBS1</source>
        <translation>CVBS1</translation>
    </message>
    <message>
        <source>SVideo1</source>
        <translation>SVideo1</translation>
    </message>
    <message>
        <source>NTSC_M</source>
        <translation>NTSC_M</translation>
    </message>
    <message>
        <source>PAL_60</source>
        <translation>PAL_60</translation>
    </message>
    <message>
        <source>PAL_BG</source>
        <translation>PAL_BG</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>AVInputItems</name>
    <message>
        <source>Save AV input file</source>
        <translation>AV-Eingangsdatei speichern</translation>
    </message>
    <message>
        <source>Enter file name (without extension): </source>
        <translation>Dateinamen eingeben (ohne Endung): </translation>
    </message>
    <message>
        <source>Saving capture file</source>
        <translation>Aufnahmedatei speichern</translation>
    </message>
    <message>
        <source>The name %1 must not contain &quot;/&quot; or &quot;\&quot;.</source>
        <translation>Der Name %1 darf weder &quot;/&quot; noch &quot;\&quot; enthalten.</translation>
    </message>
    <message>
        <source>Fail saving file </source>
        <translation>Fehler beim Speichern der Datei </translation>
    </message>
</context>
<context>
    <name>BatchServerProcess</name>
    <message>
        <source>Platform dependency message</source>
        <translation>Plattformabhängige Meldung</translation>
    </message>
    <message>
        <source>Fail starting batch download server.</source>
        <translation>Der Batch-Download-Server konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>The batch download server cannot use port %1: another program is using it. Players cannot pull content until that program is stopped and the controller is started again.</source>
        <translation>Der Batch-Download-Server kann Port %1 nicht verwenden: Ein anderes Programm belegt ihn. Player können keine Inhalte abrufen, bis dieses Programm beendet und die Steuerung neu gestartet ist.</translation>
    </message>
    <message>
        <source>crashed</source>
        <translation>abgestürzt</translation>
    </message>
    <message>
        <source>exit code %1</source>
        <translation>Exit-Code %1</translation>
    </message>
    <message>
        <source>The batch download server stopped (%1). Players cannot pull content until the controller is started again.</source>
        <translation>Der Batch-Download-Server wurde beendet (%1). Player können keine Inhalte abrufen, bis die Steuerung neu gestartet ist.</translation>
    </message>
</context>
<context>
    <name>BulkCommands</name>
    <message>
        <source>Player</source>
        <translation>Player</translation>
    </message>
    <message numerus="yes">
        <source>Put %n players to sleep?</source>
        <translation>
            <numerusform>%n Player in den Ruhezustand versetzen?</numerusform>
            <numerusform>%n Player in den Ruhezustand versetzen?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>Restart %n players? Each leaves the view and registers anew.</source>
        <translation>
            <numerusform>%n Player neu starten? Er verschwindet aus der Ansicht und meldet sich neu an.</numerusform>
            <numerusform>%n Player neu starten? Jeder verschwindet aus der Ansicht und meldet sich neu an.</numerusform>
        </translation>
    </message>
    <message>
        <source>the version could not be read from its reply</source>
        <translation>die Version konnte aus der Antwort nicht gelesen werden</translation>
    </message>
    <message>
        <source>the storage figures cannot be right</source>
        <translation>die Speicherangaben können nicht stimmen</translation>
    </message>
</context>
<context>
    <name>BulkOutcome</name>
    <message>
        <source>%1: %2 of %3 done</source>
        <translation>%1: %2 von %3 erledigt</translation>
    </message>
    <message>
        <source>; %1: %2</source>
        <translation>; %1: %2</translation>
    </message>
    <message>
        <source>%1 failed on %2: %3</source>
        <translation>%1 ist auf %2 fehlgeschlagen: %3</translation>
    </message>
</context>
<context>
    <name>BulkRun</name>
    <message>
        <source>%1: %2 of %3 players</source>
        <translation>%1: %2 von %3 Playern</translation>
    </message>
    <message>
        <source>went offline</source>
        <translation>ging offline</translation>
    </message>
    <message>
        <source>not connected</source>
        <translation>nicht verbunden</translation>
    </message>
    <message>
        <source>no answer</source>
        <translation>keine Antwort</translation>
    </message>
    <message>
        <source>not for a virtual player</source>
        <translation>nicht für einen virtuellen Player</translation>
    </message>
</context>
<context>
    <name>CommandChannel</name>
    <message>
        <source> Error</source>
        <translation> Fehler</translation>
    </message>
    <message>
        <source> command completed (%1 of %2)</source>
        <translation> Befehl abgeschlossen (%1 von %2)</translation>
    </message>
    <message>
        <source>. Most likely player connection was broken or player was reset just now, it is safe to ignore this message.</source>
        <translation>. Vermutlich wurde die Verbindung zum Player unterbrochen oder der Player soeben zurückgesetzt; Sie können diese Meldung ignorieren.</translation>
    </message>
    <message>
        <source>. The player is not ready yet. It it safe to ignore this message.</source>
        <translation>. Der Player ist noch nicht bereit. Sie können diese Meldung ignorieren.</translation>
    </message>
    <message numerus="yes">
        <source>And %n more faults while the box was open, see Events.</source>
        <translation>
            <numerusform>Und %n weiterer Fehler, während das Fenster offen war, siehe Ereignisse.</numerusform>
            <numerusform>Und %n weitere Fehler, während das Fenster offen war, siehe Ereignisse.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>ContentController</name>
    <message>
        <source>Content Repository</source>
        <translation>Medienarchiv</translation>
    </message>
    <message>
        <source>The content repository path must not be empty. It remains &quot;%1&quot;.</source>
        <translation>Der Pfad des Medienarchivs darf nicht leer sein. Er bleibt „%1“.</translation>
    </message>
</context>
<context>
    <name>DisplayCommands</name>
    <message>
        <source>Operational error</source>
        <translation>Bedienfehler</translation>
    </message>
    <message>
        <source>No player is selected</source>
        <translation>Kein Player ausgewählt</translation>
    </message>
    <message>
        <source>Layout %1</source>
        <translation>Layout %1</translation>
    </message>
    <message>
        <source>Scale Window Menu</source>
        <translation>Menü Fenster skalieren</translation>
    </message>
    <message>
        <source>connect(UpdateScaleWindowDimension) fails</source>
        <translation>connect(UpdateScaleWindowDimension) fehlgeschlagen</translation>
    </message>
    <message>
        <source>connect(receive new parameters) fails</source>
        <translation>connect(receive new parameters) fehlgeschlagen</translation>
    </message>
    <message>
        <source>SET VOLUME MENU</source>
        <translation>LAUTSTÄRKE-MENÜ</translation>
    </message>
    <message>
        <source>Fail to connect volume slots, volume control will not work.</source>
        <translation>Die Lautstärke-Slots konnten nicht verbunden werden, die Lautstärkeregelung funktioniert nicht.</translation>
    </message>
    <message>
        <source>Fail to connect set volume slot, volume control will not work.</source>
        <translation>Der Slot zum Setzen der Lautstärke konnte nicht verbunden werden, die Lautstärkeregelung funktioniert nicht.</translation>
    </message>
    <message>
        <source>Set Video mode</source>
        <translation>Videomodus festlegen</translation>
    </message>
    <message>
        <source>Restart this playback to see the new video mode.</source>
        <translation>Starten Sie diese Wiedergabe neu, um den neuen Videomodus zu sehen.</translation>
    </message>
    <message>
        <source>Set Screen Layout</source>
        <translation>Bildschirmaufteilung festlegen</translation>
    </message>
    <message>
        <source>Restart the player to see the new screen layout.</source>
        <translation>Starten Sie den Player neu, um die neue Bildschirmaufteilung zu sehen.</translation>
    </message>
    <message>
        <source>Scale Window</source>
        <translation>Fenster skalieren</translation>
    </message>
    <message>
        <source>Restart the playback to see the new scaled screen.</source>
        <translation>Starten Sie die Wiedergabe neu, um das skalierte Bild zu sehen.</translation>
    </message>
    <message>
        <source>The player&apos;s scale window could not be read from its reply.</source>
        <translation>Das skalierte Fenster des Players konnte aus seiner Antwort nicht gelesen werden.</translation>
    </message>
    <message>
        <source>The player&apos;s volume could not be read from its reply.</source>
        <translation>Die Lautstärke des Players konnte aus seiner Antwort nicht gelesen werden.</translation>
    </message>
    <message>
        <source>NTSC_M</source>
        <translation>NTSC_M</translation>
    </message>
    <message>
        <source>PAL_BG</source>
        <translation>PAL_BG</translation>
    </message>
    <message>
        <source>PAL_60</source>
        <translation>PAL_60</translation>
    </message>
    <message>
        <source>PAL_M</source>
        <translation>PAL_M</translation>
    </message>
    <message>
        <source>VGA 800x600 60Hz</source>
        <translation>VGA 800x600 60Hz</translation>
    </message>
    <message>
        <source>VGA 1024x768 60Hz</source>
        <translation>VGA 1024x768 60Hz</translation>
    </message>
    <message>
        <source>VGA 1152x864 75Hz</source>
        <translation>VGA 1152x864 75Hz</translation>
    </message>
    <message>
        <source>VGA 1280x768 60Hz</source>
        <translation>VGA 1280x768 60Hz</translation>
    </message>
    <message>
        <source>VGA 1280x960 60Hz</source>
        <translation>VGA 1280x960 60Hz</translation>
    </message>
    <message>
        <source>VGA 1280x1024 60Hz</source>
        <translation>VGA 1280x1024 60Hz</translation>
    </message>
    <message>
        <source>VGA 1360x768 60Hz</source>
        <translation>VGA 1360x768 60Hz</translation>
    </message>
    <message>
        <source>VGA 1400x1050 60Hz</source>
        <translation>VGA 1400x1050 60Hz</translation>
    </message>
    <message>
        <source>VGA 1600x1200 60Hz</source>
        <translation>VGA 1600x1200 60Hz</translation>
    </message>
    <message>
        <source>VGA 1920x1200 60Hz</source>
        <translation>VGA 1920x1200 60Hz</translation>
    </message>
    <message>
        <source>VGA 1080i 60Hz</source>
        <translation>VGA 1080i 60Hz</translation>
    </message>
    <message>
        <source>VGA 1080p 60Hz</source>
        <translation>VGA 1080p 60Hz</translation>
    </message>
    <message>
        <source>HDMI auto</source>
        <translation>HDMI auto</translation>
    </message>
    <message>
        <source>HDMI 1080p 60Hz</source>
        <translation>HDMI 1080p 60Hz</translation>
    </message>
    <message>
        <source>HDMI 1080p 59Hz</source>
        <translation>HDMI 1080p 59Hz</translation>
    </message>
    <message>
        <source>HDMI 1080p 50Hz</source>
        <translation>HDMI 1080p 50Hz</translation>
    </message>
    <message>
        <source>HDMI 1080i 60Hz</source>
        <translation>HDMI 1080i 60Hz</translation>
    </message>
    <message>
        <source>HDMI 1080i 59Hz</source>
        <translation>HDMI 1080i 59Hz</translation>
    </message>
    <message>
        <source>HDMI 1080i 50Hz</source>
        <translation>HDMI 1080i 50Hz</translation>
    </message>
    <message>
        <source>HDMI 720p 60Hz</source>
        <translation>HDMI 720p 60Hz</translation>
    </message>
    <message>
        <source>HDMI 576i 50Hz</source>
        <translation>HDMI 576i 50Hz</translation>
    </message>
    <message>
        <source>HDMI 480i 60Hz</source>
        <translation>HDMI 480i 60Hz</translation>
    </message>
    <message>
        <source>LVDS 1366x768a 60Hz</source>
        <translation>LVDS 1366x768a 60Hz</translation>
    </message>
    <message>
        <source>LVDS 1920x1080 60Hz</source>
        <translation>LVDS 1920x1080 60Hz</translation>
    </message>
    <message>
        <source>(LED) LVDS VESA 1280x1024 60Hz</source>
        <translation>(LED) LVDS VESA 1280x1024 60Hz</translation>
    </message>
    <message numerus="yes">
        <source>Choose the volume for %n players.</source>
        <translation>
            <numerusform>Wählen Sie die Lautstärke für %n Player.</numerusform>
            <numerusform>Wählen Sie die Lautstärke für %n Player.</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>DisplayText</name>
    <message>
        <source>(%1 characters)</source>
        <translation>(%1 Zeichen)</translation>
    </message>
    <message>
        <source>From %1, %2 of %3 %4 are shown; the others were left out (too many or too long).</source>
        <translation>Von %1 werden %2 von %3 %4 gezeigt; die übrigen wurden weggelassen (zu viele oder zu lang).</translation>
    </message>
</context>
<context>
    <name>EventLog</name>
    <message>
        <source>Player %1 (%2) is on line</source>
        <translation>Player %1 (%2) ist online</translation>
    </message>
    <message>
        <source>Duplicated player refused: %1 (%2) uses the name of %3 (%4)</source>
        <translation>Doppelter Player abgewiesen: %1 (%2) trägt den Namen von %3 (%4)</translation>
    </message>
    <message>
        <source>an unknown player</source>
        <translation>einem unbekannten Player</translation>
    </message>
    <message>
        <source>%1 failed on %2: %3</source>
        <translation>%1 ist auf %2 fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>A command</source>
        <translation>Ein Befehl</translation>
    </message>
    <message>
        <source>Transfer to %1 finished</source>
        <translation>Übertragung an %1 abgeschlossen</translation>
    </message>
    <message>
        <source>Transfer to %1 failed: %2</source>
        <translation>Übertragung an %1 fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Copy of %1 to %2 finished</source>
        <translation>Kopie von %1 nach %2 abgeschlossen</translation>
    </message>
    <message>
        <source>Copy of %1 to %2 failed: %3</source>
        <translation>Kopie von %1 nach %2 fehlgeschlagen: %3</translation>
    </message>
    <message>
        <source>Copy of %1 to %2 aborted</source>
        <translation>Kopie von %1 nach %2 abgebrochen</translation>
    </message>
    <message>
        <source>Incomplete upload of %1 removed from %2</source>
        <translation>Unvollständige Übertragung von %1 auf %2 entfernt</translation>
    </message>
    <message>
        <source>Incomplete upload of %1 left on %2 as %3: %4</source>
        <translation>Unvollständige Übertragung von %1 bleibt auf %2 als %3: %4</translation>
    </message>
</context>
<context>
    <name>FileChooser</name>
    <message>
        <source>Choose a directory</source>
        <translation>Verzeichnis wählen</translation>
    </message>
    <message>
        <source>Choose a file</source>
        <translation>Datei wählen</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
</context>
<context>
    <name>FileTransfers</name>
    <message>
        <source>NOTICE</source>
        <translation>HINWEIS</translation>
    </message>
    <message>
        <source> is a directory</source>
        <translation> ist ein Verzeichnis</translation>
    </message>
    <message>
        <source>Check image size</source>
        <translation>Bildgröße prüfen</translation>
    </message>
    <message>
        <source>File </source>
        <translation>Datei </translation>
    </message>
    <message>
        <source> format is incorrect.</source>
        <translation> hat ein fehlerhaftes Format.</translation>
    </message>
    <message>
        <source>Choose file</source>
        <translation>Datei wählen</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>Datei speichern</translation>
    </message>
    <message>
        <source>Fail to save file: </source>
        <translation>Fehler beim Speichern der Datei: </translation>
    </message>
    <message>
        <source>File transfer</source>
        <translation>Dateiübertragung</translation>
    </message>
    <message>
        <source>No player is selected.</source>
        <translation>Kein Player ausgewählt.</translation>
    </message>
    <message>
        <source>The file was not copied to %1; an earlier file of that name is unchanged.
%2</source>
        <translation>Die Datei wurde nicht nach %1 kopiert; eine frühere Datei dieses Namens bleibt unverändert.
%2</translation>
    </message>
    <message>
        <source>Transfer file (</source>
        <translation>Übertragung der Datei (</translation>
    </message>
    <message>
        <source>Converted picture saved as %1.</source>
        <translation>Umgewandeltes Bild gespeichert als %1.</translation>
    </message>
    <message>
        <source>aborted</source>
        <translation>abgebrochen</translation>
    </message>
    <message>
        <source>A file is being sent to several players. Wait for the end of that transfer, or abort it, before sending another file to several players.</source>
        <translation>Eine Datei wird gerade an mehrere Player gesendet. Warten Sie das Ende dieser Übertragung ab oder brechen Sie sie ab, bevor Sie eine weitere Datei an mehrere Player senden.</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Fehler beim Hochladen</translation>
    </message>
    <message>
        <source>Can&apos;t open file &apos;%1&apos; for reading.</source>
        <translation>Die Datei &apos;%1&apos; kann nicht zum Lesen geöffnet werden.</translation>
    </message>
    <message>
        <source>%1 of %2 players, %3 %</source>
        <translation>%1 von %2 Playern, %3 %</translation>
    </message>
    <message>
        <source>File transfer of %1</source>
        <translation>Dateiübertragung von %1</translation>
    </message>
</context>
<context>
    <name>FtpTransfer</name>
    <message>
        <source>Can&apos;t read the file to upload: %1</source>
        <translation>Die hochzuladende Datei kann nicht gelesen werden: %1</translation>
    </message>
    <message>
        <source>Can&apos;t store the downloaded data: %1</source>
        <translation>Die heruntergeladenen Daten können nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <source>Aborted</source>
        <translation>Abgebrochen</translation>
    </message>
    <message>
        <source>No host name given</source>
        <translation>Kein Hostname angegeben</translation>
    </message>
    <message>
        <source>Not connected</source>
        <translation>Nicht verbunden</translation>
    </message>
    <message>
        <source>Not logged in</source>
        <translation>Nicht angemeldet</translation>
    </message>
    <message>
        <source>The remote file name contains control characters</source>
        <translation>Der entfernte Dateiname enthält Steuerzeichen</translation>
    </message>
    <message>
        <source>No local file given</source>
        <translation>Keine lokale Datei angegeben</translation>
    </message>
    <message>
        <source>Can&apos;t open the local file: %1</source>
        <translation>Die lokale Datei kann nicht geöffnet werden: %1</translation>
    </message>
    <message>
        <source>The local file is not open for reading</source>
        <translation>Die lokale Datei ist nicht zum Lesen geöffnet</translation>
    </message>
    <message>
        <source>The local file is not open for writing</source>
        <translation>Die lokale Datei ist nicht zum Schreiben geöffnet</translation>
    </message>
    <message>
        <source>Can&apos;t start the transfer</source>
        <translation>Die Übertragung kann nicht gestartet werden</translation>
    </message>
</context>
<context>
    <name>ImageConversion_Dialog</name>
    <message>
        <source>Image conversion</source>
        <translation>Bildkonvertierung</translation>
    </message>
    <message>
        <source>This picture may be too big to fit into a split screen picture area.
Or the picture is not a baseline JPEG file. 
It is recommended that it is converted before downloading. 
Would you like to perform the image conversion now?</source>
        <translation>Dieses Bild ist möglicherweise zu groß für einen Bildbereich im geteilten Bildschirm.
Oder das Bild ist keine Baseline-JPEG-Datei. 
Es wird empfohlen, es vor der Übertragung zu konvertieren. 
Möchten Sie die Bildkonvertierung jetzt durchführen?</translation>
    </message>
    <message>
        <source>Pick one of the following choices</source>
        <translation>Wählen Sie eine der folgenden Möglichkeiten</translation>
    </message>
    <message>
        <source>No, I will convert the picture offline and download again later.</source>
        <translation>Nein, ich konvertiere das Bild selbst und übertrage es später erneut.</translation>
    </message>
    <message>
        <source>No, I will put this picture on the full screen, download it as is.</source>
        <translation>Nein, ich zeige dieses Bild im Vollbild und übertrage es unverändert.</translation>
    </message>
    <message>
        <source>Yes, convert it to fit into the MAIN VIDEO area, download it later.</source>
        <translation>Ja, für den HAUPTVIDEO-Bereich konvertieren und später übertragen.</translation>
    </message>
    <message>
        <source>Yes, convert it to fit into a PICTURE area, download it later.</source>
        <translation>Ja, für einen BILD-Bereich konvertieren und später übertragen.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>LogCommands</name>
    <message>
        <source>Payer File Operation</source>
        <translation>Dateivorgang auf dem Player</translation>
    </message>
    <message>
        <source>No Player is selected.</source>
        <translation>Kein Player ausgewählt.</translation>
    </message>
    <message>
        <source>Delete Log File</source>
        <translation>Protokolldatei löschen</translation>
    </message>
    <message>
        <source>The command channel to this player is busy, try again later.</source>
        <translation>Der Befehlskanal zu diesem Player ist belegt, versuchen Sie es später erneut.</translation>
    </message>
    <message>
        <source>Choose a filename to save the log</source>
        <translation>Dateinamen zum Speichern des Protokolls wählen</translation>
    </message>
    <message>
        <source>text (*.txt)</source>
        <translation>Text (*.txt)</translation>
    </message>
    <message>
        <source>File transfer</source>
        <translation>Dateiübertragung</translation>
    </message>
    <message>
        <source>Downloading log %1 fails: %2</source>
        <translation>Das Herunterladen des Protokolls %1 ist fehlgeschlagen: %2</translation>
    </message>
    <message>
        <source>Log %1 is saved as %2</source>
        <translation>Protokoll %1 wurde als %2 gespeichert</translation>
    </message>
    <message>
        <source>The player&apos;s logs could not be read from its reply.</source>
        <translation>Die Protokolle des Players konnten aus seiner Antwort nicht gelesen werden.</translation>
    </message>
    <message>
        <source>logs</source>
        <translation>Protokollen</translation>
    </message>
</context>
<context>
    <name>LogDownload</name>
    <message>
        <source>The log is larger than %1 MiB</source>
        <translation>Das Protokoll ist größer als %1 MiB</translation>
    </message>
    <message>
        <source>Less than %1 MiB would be left free on the disk</source>
        <translation>Auf dem Datenträger blieben weniger als %1 MiB frei</translation>
    </message>
</context>
<context>
    <name>Log_Dialog</name>
    <message>
        <source>Log Management</source>
        <translation>Protokollverwaltung</translation>
    </message>
    <message>
        <source>Event logs</source>
        <translation>Ereignisprotokolle</translation>
    </message>
    <message>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>Beenden</translation>
    </message>
</context>
<context>
    <name>MediaRepository</name>
    <message>
        <source>Reading media repository: %1 of %2 media files examined</source>
        <translation>Medienarchiv wird gelesen: %1 von %2 Mediendateien geprüft</translation>
    </message>
    <message>
        <source>Media repository read.</source>
        <translation>Medienarchiv gelesen.</translation>
    </message>
    <message>
        <source>Reading media repository</source>
        <translation>Medienarchiv wird gelesen</translation>
    </message>
    <message>
        <source>Media repository </source>
        <translation>Medienarchiv </translation>
    </message>
    <message>
        <source> does not exist or corrupted</source>
        <translation> existiert nicht oder ist beschädigt</translation>
    </message>
    <message>
        <source>%1 is not listed: only the media files in the repository&apos;s folders are.</source>
        <translation>%1 wird nicht aufgeführt: nur die Mediendateien in den Ordnern des Medienarchivs werden es.</translation>
    </message>
</context>
<context>
    <name>NetManagementDialog</name>
    <message>
        <source>Network Management</source>
        <translation>Netzwerkverwaltung</translation>
    </message>
    <message>
        <source>Provide tab windows for all network management.</source>
        <translation>Registerkarten für alle Einstellungen der Netzwerkverwaltung.</translation>
    </message>
    <message>
        <source>KVO Server</source>
        <translation>KVO-Server</translation>
    </message>
    <message>
        <source>LAN</source>
        <translation>LAN</translation>
    </message>
    <message>
        <source>WiFi</source>
        <translation>WiFi</translation>
    </message>
    <message>
        <source>Server IP Address:</source>
        <translation>Server-IP-Adresse:</translation>
    </message>
    <message>
        <source>Enter KVO server IP address</source>
        <translation>IP-Adresse des KVO-Servers eingeben</translation>
    </message>
    <message>
        <source>Identification</source>
        <translation>Identifikation</translation>
    </message>
    <message>
        <source>Use LAN path</source>
        <translation>LAN-Verbindung verwenden</translation>
    </message>
    <message>
        <source>Use WiFi path</source>
        <translation>WiFi-Verbindung verwenden</translation>
    </message>
    <message>
        <source>Payer&apos;s new name:</source>
        <translation>Neuer Name des Players:</translation>
    </message>
    <message>
        <source>Enter new player name</source>
        <translation>Neuen Player-Namen eingeben</translation>
    </message>
    <message>
        <source>Use DMZ</source>
        <translation>DMZ verwenden</translation>
    </message>
    <message>
        <source>My IP as seen by Server: 
(via DMZ etc.)</source>
        <translation>Meine IP aus Sicht des Servers: 
(über DMZ usw.)</translation>
    </message>
    <message>
        <source>This is the IP outside of firewall.</source>
        <translation>Dies ist die IP außerhalb der Firewall.</translation>
    </message>
    <message>
        <source>Chipset</source>
        <translation>Chipsatz</translation>
    </message>
    <message>
        <source>enable DHCP</source>
        <translation>DHCP aktivieren</translation>
    </message>
    <message>
        <source>LAN IP Address:</source>
        <translation>LAN-IP-Adresse:</translation>
    </message>
    <message>
        <source>Enter player&apos;s new IP address</source>
        <translation>Neue IP-Adresse des Players eingeben</translation>
    </message>
    <message>
        <source>GATEWAY IP Address:</source>
        <translation>GATEWAY-IP-Adresse:</translation>
    </message>
    <message>
        <source>Enter optional gateway IP address</source>
        <translation>Optionale Gateway-IP-Adresse eingeben</translation>
    </message>
    <message>
        <source>NETMASK:</source>
        <translation>NETZMASKE:</translation>
    </message>
    <message>
        <source>Enter optional net mask</source>
        <translation>Optionale Netzmaske eingeben</translation>
    </message>
    <message>
        <source>ESSID</source>
        <translation>ESSID</translation>
    </message>
    <message>
        <source>Enter ESSID of the Access Point</source>
        <translation>ESSID des Access Points eingeben</translation>
    </message>
    <message>
        <source>WEP KEY 
(10 or 26 HEX digits)</source>
        <translation>WEP-SCHLÜSSEL 
(10 oder 26 Hex-Ziffern)</translation>
    </message>
    <message>
        <source>Enter WEP key</source>
        <translation>WEP-Schlüssel eingeben</translation>
    </message>
    <message>
        <source>WiFi Interface IP</source>
        <translation>IP der WiFi-Schnittstelle</translation>
    </message>
    <message>
        <source>Enter new IP address on the Wireless LAN interface</source>
        <translation>Neue IP-Adresse der WLAN-Schnittstelle eingeben</translation>
    </message>
    <message>
        <source>GATEWAY</source>
        <translation>GATEWAY</translation>
    </message>
    <message>
        <source>Enter gateway IP address of the Wireless LAN interface</source>
        <translation>Gateway-IP-Adresse der WLAN-Schnittstelle eingeben</translation>
    </message>
    <message>
        <source>NETMASK</source>
        <translation>NETZMASKE</translation>
    </message>
    <message>
        <source>Enter Netmask for the Wireless LAN interface</source>
        <translation>Netzmaske der WLAN-Schnittstelle eingeben</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Network management:</source>
        <translation>Netzwerkverwaltung:</translation>
    </message>
    <message>
        <source>All changes in networking parameters will take effect after next reboot.</source>
        <translation>Alle Änderungen der Netzwerkeinstellungen werden nach dem nächsten Neustart wirksam.</translation>
    </message>
</context>
<context>
    <name>NetworkCommands</name>
    <message>
        <source>Operational error</source>
        <translation>Bedienfehler</translation>
    </message>
    <message>
        <source>No player is selected</source>
        <translation>Kein Player ausgewählt</translation>
    </message>
    <message>
        <source>PlayerManagementMenu</source>
        <translation>PlayerManagementMenu</translation>
    </message>
    <message>
        <source>connect(NewPlayerName) fails, this is an internal error, subsequent operations are not reliable,  please report this to your vendor.</source>
        <translation>connect(NewPlayerName) fehlgeschlagen. Dies ist ein interner Fehler, nachfolgende Vorgänge sind nicht zuverlässig,  bitte melden Sie ihn Ihrem Lieferanten.</translation>
    </message>
    <message>
        <source>connect(NewPlayerIP) fails, this is an internal error, subsequent operations are not reliable,  please report this to your vendor.</source>
        <translation>connect(NewPlayerIP) fehlgeschlagen. Dies ist ein interner Fehler, nachfolgende Vorgänge sind nicht zuverlässig,  bitte melden Sie ihn Ihrem Lieferanten.</translation>
    </message>
    <message>
        <source>connect(NewServerIP) fails, this is an internal error, subsequent operations are not reliable,  please report this to your vendor.</source>
        <translation>connect(NewServerIP) fehlgeschlagen. Dies ist ein interner Fehler, nachfolgende Vorgänge sind nicht zuverlässig,  bitte melden Sie ihn Ihrem Lieferanten.</translation>
    </message>
    <message>
        <source>connect(WLANSetup) fails, this is an internal error,subsequent operations may be affected, please report this to your vendor.</source>
        <translation>connect(WLANSetup) fehlgeschlagen. Dies ist ein interner Fehler, nachfolgende Vorgänge können beeinträchtigt sein, bitte melden Sie ihn Ihrem Lieferanten.</translation>
    </message>
    <message>
        <source>connect(DMZ setting) fails, this is an internal error,subsequent operations may be affected, please report this to your vendor.</source>
        <translation>connect(DMZ setting) fehlgeschlagen. Dies ist ein interner Fehler, nachfolgende Vorgänge können beeinträchtigt sein, bitte melden Sie ihn Ihrem Lieferanten.</translation>
    </message>
</context>
<context>
    <name>PictureDisplayTime_Dialog</name>
    <message>
        <source>Set picture display time</source>
        <translation>Anzeigedauer für Bilder festlegen</translation>
    </message>
    <message>
        <source>seconds:</source>
        <translation>Sekunden:</translation>
    </message>
    <message>
        <source>Enter picture display time in seconds</source>
        <translation>Anzeigedauer für Bilder in Sekunden eingeben</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>PlayerDialogScope</name>
    <message>
        <source>the player has gone offline</source>
        <translation>der Player ist offline gegangen</translation>
    </message>
    <message>
        <source>Operational error</source>
        <translation>Bedienfehler</translation>
    </message>
    <message>
        <source>No player is selected</source>
        <translation>Kein Player ausgewählt</translation>
    </message>
</context>
<context>
    <name>PlayerItem</name>
    <message>
        <source>File transfer failure</source>
        <translation>Dateiübertragung fehlgeschlagen</translation>
    </message>
    <message>
        <source>Upload error</source>
        <translation>Fehler beim Hochladen</translation>
    </message>
    <message>
        <source>Can&apos;t open file &apos;%1&apos; for reading.</source>
        <translation>Die Datei &apos;%1&apos; kann nicht zum Lesen geöffnet werden.</translation>
    </message>
</context>
<context>
    <name>PlayerView</name>
    <message numerus="yes">
        <source>Failing: its last %n calls failed (%1)</source>
        <translation>
            <numerusform>Gestört: sein letzter Aufruf ist fehlgeschlagen (%1)</numerusform>
            <numerusform>Gestört: seine letzten %n Aufrufe sind fehlgeschlagen (%1)</numerusform>
        </translation>
    </message>
    <message>
        <source>virtual player</source>
        <translation>virtueller Player</translation>
    </message>
    <message>
        <source>on</source>
        <translation>ein</translation>
    </message>
    <message>
        <source>off (PWROFF)</source>
        <translation>aus (PWROFF)</translation>
    </message>
    <message>
        <source>nothing reported</source>
        <translation>nichts gemeldet</translation>
    </message>
    <message>
        <source>never</source>
        <translation>nie</translation>
    </message>
    <message>
        <source>Name: %1</source>
        <translation>Name: %1</translation>
    </message>
    <message>
        <source>Address: %1</source>
        <translation>Adresse: %1</translation>
    </message>
    <message>
        <source>Folder: %1</source>
        <translation>Ordner: %1</translation>
    </message>
    <message>
        <source>Power: %1</source>
        <translation>Strom: %1</translation>
    </message>
    <message>
        <source>Playing: %1</source>
        <translation>Spielt: %1</translation>
    </message>
    <message>
        <source>Last contact: %1</source>
        <translation>Letzter Kontakt: %1</translation>
    </message>
</context>
<context>
    <name>PlayersController</name>
    <message>
        <source>Storage space</source>
        <translation>Speicherplatz</translation>
    </message>
    <message>
        <source>Network management</source>
        <translation>Netzwerkverwaltung</translation>
    </message>
    <message>
        <source>Video output selection</source>
        <translation>Videoausgang wählen</translation>
    </message>
    <message>
        <source>Screen layout</source>
        <translation>Bildschirmaufteilung</translation>
    </message>
    <message>
        <source>Scale window</source>
        <translation>Fenster skalieren</translation>
    </message>
    <message>
        <source>Volume control</source>
        <translation>Lautstärkeregelung</translation>
    </message>
    <message>
        <source>Event scheduler</source>
        <translation>Ereignisplaner</translation>
    </message>
    <message>
        <source>Compose new ticker message</source>
        <translation>Neue Laufschrift erstellen</translation>
    </message>
    <message>
        <source>Refresh player contents</source>
        <translation>Inhalte des Players auffrischen</translation>
    </message>
    <message>
        <source>Firmware version</source>
        <translation>Firmware-Version</translation>
    </message>
    <message>
        <source>Watchdog timer</source>
        <translation>Watchdog-Timer</translation>
    </message>
    <message>
        <source>LOG management</source>
        <translation>Protokollverwaltung</translation>
    </message>
    <message>
        <source>Sleep</source>
        <translation>Ruhezustand</translation>
    </message>
    <message>
        <source>Restart/wake player</source>
        <translation>Player neu starten/aufwecken</translation>
    </message>
    <message>
        <source>Delete this virtual player</source>
        <translation>Diesen virtuellen Player löschen</translation>
    </message>
    <message>
        <source>Total space %1 KB, available %2 KB (%3% Full).</source>
        <translation>Gesamtspeicher %1 KB, frei %2 KB (%3% belegt).</translation>
    </message>
    <message>
        <source>Duplicated Player</source>
        <translation>Doppelter Player</translation>
    </message>
    <message>
        <source>A new player (</source>
        <translation>Ein neuer Player (</translation>
    </message>
    <message>
        <source>,</source>
        <translation>,</translation>
    </message>
    <message>
        <source>) is trying to connect to this server while (</source>
        <translation>) versucht, sich mit diesem Server zu verbinden, während (</translation>
    </message>
    <message>
        <source>) has already registered.
</source>
        <translation>) bereits angemeldet ist.
</translation>
    </message>
    <message>
        <source>This connection is ignored.</source>
        <translation>Diese Verbindung wird ignoriert.</translation>
    </message>
    <message>
        <source>Player (</source>
        <translation>Player (</translation>
    </message>
    <message>
        <source>) is playing </source>
        <translation>) spielt </translation>
    </message>
    <message>
        <source> on </source>
        <translation> im Modus </translation>
    </message>
    <message>
        <source>; Last contact at </source>
        <translation>; letzter Kontakt um </translation>
    </message>
    <message>
        <source>Operational error</source>
        <translation>Bedienfehler</translation>
    </message>
    <message>
        <source>No player is selected</source>
        <translation>Kein Player ausgewählt</translation>
    </message>
    <message>
        <source>Version information</source>
        <translation>Versionsinformation</translation>
    </message>
    <message>
        <source>Firmware: %1; Server software: %2</source>
        <translation>Firmware: %1; Serversoftware: %2</translation>
    </message>
    <message>
        <source>The storage figures of %1 cannot be right; they are not shown.</source>
        <translation>Die Speicherangaben von %1 können nicht stimmen; sie werden nicht gezeigt.</translation>
    </message>
    <message>
        <source>The firmware version of %1 could not be read from its reply.</source>
        <translation>Die Firmware-Version von %1 konnte aus seiner Antwort nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Play all files</source>
        <translation>Alle Dateien abspielen</translation>
    </message>
    <message numerus="yes">
        <source>%n players selected</source>
        <translation>
            <numerusform>%n Player ausgewählt</numerusform>
            <numerusform>%n Player ausgewählt</numerusform>
        </translation>
    </message>
    <message>
        <source>One player selected</source>
        <translation>Ein Player ausgewählt</translation>
    </message>
    <message numerus="yes">
        <source>%n players</source>
        <translation>
            <numerusform>%n Player</numerusform>
            <numerusform>%n Player</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PlaylistPane</name>
    <message>
        <source>Playlists</source>
        <translation>Wiedergabelisten</translation>
    </message>
    <message>
        <source>Playlists: %1</source>
        <translation>Wiedergabelisten: %1</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>The playlist file %1 is %2 bytes long, far more than a playlist holds; it is not shown.</source>
        <translation>Die Wiedergabelistendatei %1 ist %2 Byte lang, weit mehr als eine Wiedergabeliste enthält; sie wird nicht angezeigt.</translation>
    </message>
    <message>
        <source>Play list management</source>
        <translation>Verwaltung der Wiedergabelisten</translation>
    </message>
    <message>
        <source>This file has not yet been downloaded.</source>
        <translation>Diese Datei wurde noch nicht übertragen.</translation>
    </message>
    <message>
        <source>Add platlist item:</source>
        <translation>Eintrag zur Wiedergabeliste hinzufügen:</translation>
    </message>
    <message>
        <source>This playlist allows only still images (pictures).</source>
        <translation>Diese Wiedergabeliste erlaubt nur Standbilder (Bilder).</translation>
    </message>
    <message>
        <source>Acknowledged</source>
        <translation>Zur Kenntnis genommen</translation>
    </message>
    <message>
        <source>Move item up</source>
        <translation>Eintrag nach oben</translation>
    </message>
    <message>
        <source>Move item down</source>
        <translation>Eintrag nach unten</translation>
    </message>
    <message>
        <source>Remove item</source>
        <translation>Eintrag entfernen</translation>
    </message>
    <message>
        <source>Clear all items</source>
        <translation>Alle Einträge löschen</translation>
    </message>
    <message>
        <source>Change display time</source>
        <translation>Anzeigedauer ändern</translation>
    </message>
    <message>
        <source>SaveAlbum</source>
        <translation>SaveAlbum</translation>
    </message>
    <message>
        <source>The command channel to this player is busy, try again later</source>
        <translation>Der Befehlskanal zu diesem Player ist belegt, versuchen Sie es später erneut</translation>
    </message>
    <message>
        <source>Saving playlist Error</source>
        <translation>Fehler beim Speichern der Wiedergabeliste</translation>
    </message>
    <message>
        <source>Fail opening </source>
        <translation>Fehler beim Öffnen von </translation>
    </message>
    <message>
        <source> to save.</source>
        <translation> zum Speichern.</translation>
    </message>
    <message>
        <source>PlayAlbum</source>
        <translation>PlayAlbum</translation>
    </message>
    <message>
        <source>The command channel to this player is busy, try again later.</source>
        <translation>Der Befehlskanal zu diesem Player ist belegt, versuchen Sie es später erneut.</translation>
    </message>
    <message>
        <source>The playlist of %1 holds more than %2 entries, or entries too long to be real; it is not shown, so that saving it cannot lose any.</source>
        <translation>Die Playlist von %1 enthält mehr als %2 Einträge oder Einträge, die zu lang sind, um echt zu sein; sie wird nicht gezeigt, damit beim Speichern keiner verloren geht.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>The file name &quot;%1&quot; contains a comma, which a playlist cannot hold. Rename the file in the repository, download it again and add it then.</source>
        <translation>Der Dateiname &quot;%1&quot; enthält ein Komma, das eine Wiedergabeliste nicht aufnehmen kann. Benennen Sie die Datei im Medienarchiv um, übertragen Sie sie erneut und fügen Sie sie dann hinzu.</translation>
    </message>
    <message>
        <source>The file name &quot;%1&quot; contains a line break, which a playlist cannot hold. Rename the file in the repository, download it again and add it then.</source>
        <translation>Der Dateiname &quot;%1&quot; enthält einen Zeilenumbruch, den eine Wiedergabeliste nicht aufnehmen kann. Benennen Sie die Datei im Medienarchiv um, übertragen Sie sie erneut und fügen Sie sie dann hinzu.</translation>
    </message>
    <message>
        <source>Total space: %1 KB, Available space %2 KB (not reported yet)</source>
        <translation>Gesamtspeicher: %1 KB, freier Speicher %2 KB (noch nicht gemeldet)</translation>
    </message>
    <message>
        <source>Total space: %1 KB, Available space %2 KB (%3% Full)</source>
        <translation>Gesamtspeicher: %1 KB, freier Speicher %2 KB (%3% belegt)</translation>
    </message>
</context>
<context>
    <name>RepositoryLister</name>
    <message>
        <source>DIRECTORY</source>
        <translation>VERZEICHNIS</translation>
    </message>
    <message>
        <source>media</source>
        <translation>Medien</translation>
    </message>
</context>
<context>
    <name>ScaleWindowDialog</name>
    <message>
        <source>Scale Window</source>
        <translation>Fenster skalieren</translation>
    </message>
    <message>
        <source>X (0 ~ 4095)</source>
        <translation>X (0 ~ 4095)</translation>
    </message>
    <message>
        <source>Y (0 ~ 4095)</source>
        <translation>Y (0 ~ 4095)</translation>
    </message>
    <message>
        <source>Width (0 ~ 4096)</source>
        <translation>Breite (0 ~ 4096)</translation>
    </message>
    <message>
        <source>Height (0 ~ 4096)</source>
        <translation>Höhe (0 ~ 4096)</translation>
    </message>
    <message>
        <source>RESET TO FULL SCREEN</source>
        <translation>AUF VOLLBILD ZURÜCKSETZEN</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Scale window size</source>
        <translation>Größe des skalierten Fensters</translation>
    </message>
    <message>
        <source>The scaled window extends outside of the right border. It will be clipped.</source>
        <translation>Das skalierte Fenster ragt über den rechten Rand hinaus. Es wird abgeschnitten.</translation>
    </message>
    <message>
        <source>The scaled window extends outside of the bottom border. It will be clipped.</source>
        <translation>Das skalierte Fenster ragt über den unteren Rand hinaus. Es wird abgeschnitten.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; is empty: enter a whole number in that range.</source>
        <translation>„%1“ ist leer: Geben Sie eine ganze Zahl in diesem Bereich ein.</translation>
    </message>
    <message>
        <source>&quot;%1&quot; holds &quot;%2&quot;: enter a whole number in that range.</source>
        <translation>„%1“ enthält „%2“: Geben Sie eine ganze Zahl in diesem Bereich ein.</translation>
    </message>
</context>
<context>
    <name>SchedulerCommands</name>
    <message>
        <source>The player&apos;s schedule could not be read from its reply.</source>
        <translation>Der Zeitplan des Players konnte aus seiner Antwort nicht gelesen werden.</translation>
    </message>
    <message>
        <source>Task scheduler</source>
        <translation>Aufgabenplaner</translation>
    </message>
    <message>
        <source>The schedule could not be written to %1: %2</source>
        <translation>Der Zeitplan konnte nicht nach %1 geschrieben werden: %2</translation>
    </message>
    <message>
        <source>The player&apos;s schedule holds more than %1 tasks, or tasks too long to be real; it is not shown, so that committing it cannot lose any.</source>
        <translation>Der Zeitplan des Players enthält mehr als %1 Aufgaben oder Aufgaben, die zu lang sind, um echt zu sein; er wird nicht gezeigt, damit beim Übernehmen keine verloren geht.</translation>
    </message>
</context>
<context>
    <name>ShownPlayer</name>
    <message>
        <source>%1 (offline)</source>
        <translation>%1 (offline)</translation>
    </message>
    <message>
        <source>%1 (deleted)</source>
        <translation>%1 (gelöscht)</translation>
    </message>
</context>
<context>
    <name>StoragePane</name>
    <message>
        <source>Player Storage Content</source>
        <translation>Speicherinhalt des Players</translation>
    </message>
    <message>
        <source>Player Storage Content: %1</source>
        <translation>Speicherinhalt des Players: %1</translation>
    </message>
    <message>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Player File Operation</source>
        <translation>Dateivorgang auf dem Player</translation>
    </message>
    <message>
        <source>No selected file to delete.</source>
        <translation>Keine Datei zum Löschen ausgewählt.</translation>
    </message>
    <message>
        <source>This file  will be deleted from player storage.
If this file is also an entry in any playlist, the entry will also be removed.
Do you really want to delete this file?</source>
        <translation>Diese Datei wird aus dem Speicher des Players gelöscht.
Ist die Datei auch Eintrag einer Wiedergabeliste, wird dieser Eintrag ebenfalls entfernt.
Möchten Sie diese Datei wirklich löschen?</translation>
    </message>
    <message>
        <source>Fail to delete %1.</source>
        <translation>%1 konnte nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>Delete playlist item</source>
        <translation>Eintrag der Wiedergabeliste löschen</translation>
    </message>
    <message>
        <source>Fail to open the playlist file: </source>
        <translation>Die Wiedergabelistendatei kann nicht geöffnet werden: </translation>
    </message>
    <message>
        <source>Fail to save the playlist file: %1 (%2). It is unchanged.</source>
        <translation>Die Wiedergabelistendatei kann nicht gespeichert werden: %1 (%2). Sie bleibt unverändert.</translation>
    </message>
    <message>
        <source>No file is selected to play.</source>
        <translation>Keine Datei zum Abspielen ausgewählt.</translation>
    </message>
    <message>
        <source>PlaySingle</source>
        <translation>PlaySingle</translation>
    </message>
    <message>
        <source> is a local file. It needs to be downloaded to the player first</source>
        <translation> ist eine lokale Datei. Sie muss zuerst auf den Player übertragen werden</translation>
    </message>
    <message>
        <source>Operational error</source>
        <translation>Bedienfehler</translation>
    </message>
    <message>
        <source>No player is selected</source>
        <translation>Kein Player ausgewählt</translation>
    </message>
    <message>
        <source>PlayALL</source>
        <translation>PlayALL</translation>
    </message>
    <message>
        <source>Command channel to this player is busy, try again later.</source>
        <translation>Der Befehlskanal zu diesem Player ist belegt, versuchen Sie es später erneut.</translation>
    </message>
    <message>
        <source>The storage listing of %1 could not be read from its reply.</source>
        <translation>Die Speicherliste von %1 konnte aus seiner Antwort nicht gelesen werden.</translation>
    </message>
    <message>
        <source>files</source>
        <translation>Dateien</translation>
    </message>
    <message>
        <source>the storage listing could not be read from its reply</source>
        <translation>die Speicherliste konnte aus der Antwort nicht gelesen werden</translation>
    </message>
</context>
<context>
    <name>TickerBatch</name>
    <message>
        <source>Could not write %1 for the virtual player: %2</source>
        <translation>%1 für den virtuellen Player konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <source>Compose new ticker message</source>
        <translation>Neue Laufschrift erstellen</translation>
    </message>
    <message>
        <source>Could not find IP address of the player. No action is taken.</source>
        <translation>Die IP-Adresse des Players wurde nicht gefunden. Es wird nichts unternommen.</translation>
    </message>
    <message>
        <source>Sending the ticker files fails: %1</source>
        <translation>Das Senden der Laufschriftdateien ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>the call failed</source>
        <translation>der Aufruf ist fehlgeschlagen</translation>
    </message>
</context>
<context>
    <name>TickerCommands</name>
    <message>
        <source>PlayerManagementMenu</source>
        <translation>PlayerManagementMenu</translation>
    </message>
    <message>
        <source>connect NewTickerReady fails, this is an internal error, subsequent operations are not reliable, please report this to your vendor.</source>
        <translation>connect NewTickerReady fehlgeschlagen. Dies ist ein interner Fehler, nachfolgende Vorgänge sind nicht zuverlässig, bitte melden Sie ihn Ihrem Lieferanten.</translation>
    </message>
    <message>
        <source>STartTickerFunction</source>
        <translation>STartTickerFunction</translation>
    </message>
    <message>
        <source>empty ticker message, nothing to do</source>
        <translation>leerer Laufschrifttext, nichts zu tun</translation>
    </message>
    <message>
        <source>Operational error</source>
        <translation>Bedienfehler</translation>
    </message>
    <message>
        <source>No player is selected</source>
        <translation>Kein Player ausgewählt</translation>
    </message>
    <message>
        <source>Start Ticker Function</source>
        <translation>Laufschrift starten</translation>
    </message>
    <message>
        <source>Could not find IP address of the player. No action is taken.</source>
        <translation>Die IP-Adresse des Players wurde nicht gefunden. Es wird nichts unternommen.</translation>
    </message>
    <message>
        <source>Sending the ticker files fails: %1</source>
        <translation>Das Senden der Laufschriftdateien ist fehlgeschlagen: %1</translation>
    </message>
    <message>
        <source>File open fails</source>
        <translation>Datei kann nicht geöffnet werden</translation>
    </message>
    <message>
        <source>File not found</source>
        <translation>Datei nicht gefunden</translation>
    </message>
    <message>
        <source>Set New Ticker</source>
        <translation>Neue Laufschrift festlegen</translation>
    </message>
    <message>
        <source>New ticker message is sent.</source>
        <translation>Die neue Laufschrift wurde gesendet.</translation>
    </message>
</context>
<context>
    <name>TickerDialog</name>
    <message>
        <source>Ticker composer</source>
        <translation>Laufschrift erstellen</translation>
    </message>
    <message>
        <source>Enter ticker message below:</source>
        <translation>Laufschrifttext unten eingeben:</translation>
    </message>
    <message>
        <source>FONT</source>
        <translation>SCHRIFT</translation>
    </message>
    <message>
        <source>BG Color</source>
        <translation>Hintergrundfarbe</translation>
    </message>
    <message>
        <source>FG Color</source>
        <translation>Vordergrundfarbe</translation>
    </message>
    <message>
        <source>Ticker Direction</source>
        <translation>Laufrichtung</translation>
    </message>
    <message>
        <source>Left to Right</source>
        <translation>Von links nach rechts</translation>
    </message>
    <message>
        <source>Right to Left</source>
        <translation>Von rechts nach links</translation>
    </message>
    <message>
        <source>Scrolling speed</source>
        <translation>Laufgeschwindigkeit</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>Set Ticker Background Color</source>
        <translation>Hintergrundfarbe der Laufschrift festlegen</translation>
    </message>
    <message>
        <source>invalid color</source>
        <translation>ungültige Farbe</translation>
    </message>
    <message>
        <source>Set Ticker Foreground Colorr</source>
        <translation>Vordergrundfarbe der Laufschrift festlegen</translation>
    </message>
    <message>
        <source>Ticker</source>
        <translation>Laufschrift</translation>
    </message>
    <message>
        <source>No text is entered, no action.</source>
        <translation>Kein Text eingegeben, keine Aktion.</translation>
    </message>
    <message>
        <source>Ticker message may be too long. It will be truncated.</source>
        <translation>Der Laufschrifttext ist möglicherweise zu lang. Er wird gekürzt.</translation>
    </message>
    <message>
        <source>Ticker message letters may be too tall. It will be truncated.</source>
        <translation>Die Buchstaben der Laufschrift sind möglicherweise zu hoch. Sie wird gekürzt.</translation>
    </message>
    <message>
        <source>Converting depth fails.</source>
        <translation>Die Umwandlung der Farbtiefe ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Start Ticker Function</source>
        <translation>Laufschrift starten</translation>
    </message>
    <message>
        <source>Saving Ticker message fails.</source>
        <translation>Das Speichern des Laufschrifttextes ist fehlgeschlagen.</translation>
    </message>
    <message>
        <source>Fail to write ticker configuration file</source>
        <translation>Die Konfigurationsdatei der Laufschrift kann nicht geschrieben werden</translation>
    </message>
</context>
<context>
    <name>ValuesGate</name>
    <message>
        <source>Reading from %1...</source>
        <translation>Lese von %1...</translation>
    </message>
    <message>
        <source>Reading from %1 failed: %2</source>
        <translation>Lesen von %1 fehlgeschlagen: %2</translation>
    </message>
</context>
<context>
    <name>VirtualCopier</name>
    <message>
        <source>Can&apos;t open file &apos;%1&apos; for reading: %2</source>
        <translation>Die Datei &apos;%1&apos; kann nicht zum Lesen geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t open file &apos;%1&apos; for writing: %2</source>
        <translation>Die Datei &apos;%1&apos; kann nicht zum Schreiben geöffnet werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t read file &apos;%1&apos;: %2</source>
        <translation>Die Datei &apos;%1&apos; kann nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>Can&apos;t write file &apos;%1&apos;: %2</source>
        <translation>Die Datei &apos;%1&apos; kann nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>VirtualPlayers</name>
    <message>
        <source>Used %1KB (or %2 MB).</source>
        <translation>Belegt: %1KB (bzw. %2 MB).</translation>
    </message>
    <message>
        <source>Add new virtual player</source>
        <translation>Neuen virtuellen Player hinzufügen</translation>
    </message>
    <message>
        <source> does not exists, created automatically.</source>
        <translation> existiert nicht und wurde automatisch angelegt.</translation>
    </message>
    <message>
        <source>ATTENTION</source>
        <translation>ACHTUNG</translation>
    </message>
    <message>
        <source>Virtual player repository %1 does not exists.</source>
        <translation>Das Medienarchiv des virtuellen Players %1 existiert nicht.</translation>
    </message>
    <message>
        <source>Virtual player repository path %1 is not a directory.</source>
        <translation>Der Pfad %1 des Medienarchivs des virtuellen Players ist kein Verzeichnis.</translation>
    </message>
    <message>
        <source>Required storage space</source>
        <translation>Benötigter Speicherplatz</translation>
    </message>
    <message>
        <source>Deleting player image</source>
        <translation>Player-Abbild löschen</translation>
    </message>
    <message>
        <source>%1 is about to be removed, are you sure?</source>
        <translation>%1 wird entfernt. Sind Sie sicher?</translation>
    </message>
    <message>
        <source>Directory %1 does not exist.</source>
        <translation>Das Verzeichnis %1 existiert nicht.</translation>
    </message>
    <message>
        <source>Deleting virtual player</source>
        <translation>Virtuellen Player löschen</translation>
    </message>
    <message>
        <source>Fail to remove file (%1).</source>
        <translation>Die Datei (%1) konnte nicht entfernt werden.</translation>
    </message>
</context>
<context>
    <name>VirtualSettings</name>
    <message>
        <source>Virtual player</source>
        <translation>Virtueller Player</translation>
    </message>
    <message>
        <source>The settings file %1 could not be written: %2</source>
        <translation>Die Einstellungsdatei %1 konnte nicht geschrieben werden: %2</translation>
    </message>
</context>
<context>
    <name>Volume_dialog</name>
    <message>
        <source>Volume control</source>
        <translation>Lautstärkeregelung</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>Watchdog_Dialog</name>
    <message>
        <source>Watchdog</source>
        <translation>Watchdog</translation>
    </message>
    <message>
        <source>Seconds</source>
        <translation>Sekunden</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
</context>
<context>
    <name>kvo_Form</name>
    <message>
        <source>KVO Controller</source>
        <translation>KVO-Steuerung</translation>
    </message>
    <message>
        <source>List of KVO players that are online.</source>
        <translation>Liste der KVO-Player, die online sind.</translation>
    </message>
    <message>
        <source>Players on line</source>
        <translation>Player online</translation>
    </message>
    <message>
        <source>The playlist of the chosen KVO player.</source>
        <translation>Die Wiedergabeliste des gewählten KVO-Players.</translation>
    </message>
    <message>
        <source>Playlists</source>
        <translation>Wiedergabelisten</translation>
    </message>
    <message>
        <source>MAIN playlist (mixed video/ picture)</source>
        <translation>HAUPT-Wiedergabeliste (Video/ Bild gemischt)</translation>
    </message>
    <message>
        <source>PICTURE playlist 0 (picture only)</source>
        <translation>BILD-Wiedergabeliste 0 (nur Bilder)</translation>
    </message>
    <message>
        <source>PICTURE playlist 1 (picture only)</source>
        <translation>BILD-Wiedergabeliste 1 (nur Bilder)</translation>
    </message>
    <message>
        <source>PICTURE playlist 2 (picture only)</source>
        <translation>BILD-Wiedergabeliste 2 (nur Bilder)</translation>
    </message>
    <message>
        <source>show current playlist content</source>
        <translation>Inhalt der aktuellen Wiedergabeliste zeigen</translation>
    </message>
    <message>
        <source>NAME</source>
        <translation>NAME</translation>
    </message>
    <message>
        <source>SIZE(KB)</source>
        <translation>GRÖSSE(KB)</translation>
    </message>
    <message>
        <source>LOCATION</source>
        <translation>ORT</translation>
    </message>
    <message>
        <source>TYPE</source>
        <translation>TYP</translation>
    </message>
    <message>
        <source>DURATION</source>
        <translation>DAUER</translation>
    </message>
    <message>
        <source>Save the current playlist</source>
        <translation>Die aktuelle Wiedergabeliste speichern</translation>
    </message>
    <message>
        <source>Save
this list</source>
        <translation>Liste
speichern</translation>
    </message>
    <message>
        <source>Save and then play the newly created playlist</source>
        <translation>Die neu erstellte Wiedergabeliste speichern und dann abspielen</translation>
    </message>
    <message>
        <source>Re-Play
this list</source>
        <translation>Liste neu
abspielen</translation>
    </message>
    <message>
        <source>Player Storage Content</source>
        <translation>Speicherinhalt des Players</translation>
    </message>
    <message>
        <source>Delete selected playlist item</source>
        <translation>Gewählten Eintrag löschen</translation>
    </message>
    <message>
        <source>Delete
File</source>
        <translation>Datei
löschen</translation>
    </message>
    <message>
        <source>Play the selected file repeatedly</source>
        <translation>Die gewählte Datei wiederholt abspielen</translation>
    </message>
    <message>
        <source>Play
file</source>
        <translation>Datei
abspielen</translation>
    </message>
    <message>
        <source>Play all files in the player&apos;s storage at file order.</source>
        <translation>Alle Dateien im Speicher des Players in Dateireihenfolge abspielen.</translation>
    </message>
    <message>
        <source>Play
all files</source>
        <translation>Alle Dateien
abspielen</translation>
    </message>
    <message>
        <source>The media files on this server</source>
        <translation>Die Mediendateien auf diesem Server</translation>
    </message>
    <message>
        <source>Server Content</source>
        <translation>Serverinhalt</translation>
    </message>
    <message>
        <source>Content Repository:</source>
        <translation>Medienarchiv:</translation>
    </message>
    <message>
        <source>ATTR</source>
        <translation>ATTR</translation>
    </message>
    <message>
        <source>Create
Virtual 
Player</source>
        <translation>Virtuellen
Player
anlegen</translation>
    </message>
    <message>
        <source>Create
Ext
AV in</source>
        <translation>Externen
AV-Eingang
anlegen</translation>
    </message>
    <message>
        <source>Refresh the server file list</source>
        <translation>Die Dateiliste des Servers auffrischen</translation>
    </message>
    <message>
        <source>Refresh
Server
Contents</source>
        <translation>Serverinhalt
auffrischen</translation>
    </message>
    <message>
        <source>Operation and status</source>
        <translation>Vorgang und Status</translation>
    </message>
    <message>
        <source>Abort the file transfer immediately</source>
        <translation>Die Dateiübertragung sofort abbrechen</translation>
    </message>
    <message>
        <source>Abort Xfer</source>
        <translation>Übertragung abbrechen</translation>
    </message>
    <message>
        <source>Show the progress of the file transfer</source>
        <translation>Zeigt den Fortschritt der Dateiübertragung</translation>
    </message>
    <message>
        <source>Content Repository</source>
        <translation>Medienarchiv</translation>
    </message>
    <message>
        <source>Playlist</source>
        <translation>Wiedergabeliste</translation>
    </message>
    <message>
        <source>Playlist choice</source>
        <translation>Wahl der Wiedergabeliste</translation>
    </message>
    <message>
        <source>Which of the player&apos;s four playlists is shown</source>
        <translation>Welche der vier Wiedergabelisten des Players angezeigt wird</translation>
    </message>
    <message>
        <source>The files stored on the chosen player</source>
        <translation>Die auf dem gewählten Player gespeicherten Dateien</translation>
    </message>
    <message>
        <source>Content Repository path</source>
        <translation>Pfad des Medienarchivs</translation>
    </message>
    <message>
        <source>Choose the content repository</source>
        <translation>Medienarchiv wählen</translation>
    </message>
    <message>
        <source>Transfer progress</source>
        <translation>Übertragungsfortschritt</translation>
    </message>
    <message>
        <source>The file being transferred</source>
        <translation>Die Datei, die gerade übertragen wird</translation>
    </message>
    <message>
        <source>Create a virtual player: a folder in the repository that receives the same playlists, files and settings as a player</source>
        <translation>Einen virtuellen Player anlegen: ein Ordner im Medienarchiv, der dieselben Wiedergabelisten, Dateien und Einstellungen wie ein Player erhält</translation>
    </message>
    <message>
        <source>Create an item that plays the external AV input</source>
        <translation>Einen Eintrag anlegen, der den externen AV-Eingang abspielt</translation>
    </message>
    <message>
        <source>Status messages</source>
        <translation>Statusmeldungen</translation>
    </message>
    <message>
        <source>Filter players</source>
        <translation>Player filtern</translation>
    </message>
    <message>
        <source>Filter players by name or address</source>
        <translation>Player nach Name oder Adresse filtern</translation>
    </message>
    <message>
        <source>Shows only the players whose name or address contains every word typed</source>
        <translation>Zeigt nur die Player, deren Name oder Adresse jedes eingegebene Wort enthält</translation>
    </message>
    <message>
        <source>Events</source>
        <translation>Ereignisse</translation>
    </message>
    <message>
        <source>What happened, with the time: players admitted and gone, refused duplicates, command faults, transfers</source>
        <translation>Was geschehen ist, mit Uhrzeit: aufgenommene und getrennte Player, abgewiesene Duplikate, Befehlsfehler, Übertragungen</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;Ansicht</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>[%1] Welcome to KVO Controller, %2, %3, with Media drive %4</source>
        <translation>[%1] Willkommen bei der KVO-Steuerung, %2, %3, mit Medienlaufwerk %4</translation>
    </message>
</context>
<context>
    <name>netsettings</name>
    <message>
        <source>Network management</source>
        <translation>Netzwerkverwaltung</translation>
    </message>
    <message>
        <source>At least one of the two networking devices must be valid and enabled</source>
        <translation>Mindestens eines der beiden Netzwerkgeräte muss gültig und aktiviert sein</translation>
    </message>
    <message>
        <source>Cannot have both LAN and WLAN active at the same time.</source>
        <translation>LAN und WLAN können nicht gleichzeitig aktiv sein.</translation>
    </message>
    <message>
        <source>WEP KEY must be 0, 10 or 26 HEX digits long. This network setting is canceled.</source>
        <translation>Der WEP-SCHLÜSSEL muss 0, 10 oder 26 Hex-Ziffern lang sein. Diese Netzwerkeinstellung wird verworfen.</translation>
    </message>
    <message>
        <source>Network Management</source>
        <translation>Netzwerkverwaltung</translation>
    </message>
    <message>
        <source>player name cannot be empty.</source>
        <translation>Der Player-Name darf nicht leer sein.</translation>
    </message>
    <message>
        <source>IP address cannot be empty.</source>
        <translation>Die IP-Adresse darf nicht leer sein.</translation>
    </message>
    <message>
        <source>IP address %1 is not valid.</source>
        <translation>Die IP-Adresse %1 ist ungültig.</translation>
    </message>
    <message>
        <source>Gateway IP address cannot be empty.</source>
        <translation>Die Gateway-IP-Adresse darf nicht leer sein.</translation>
    </message>
    <message>
        <source>Gateway IP address %1 is not valid.</source>
        <translation>Die Gateway-IP-Adresse %1 ist ungültig.</translation>
    </message>
    <message>
        <source>Network mask cannot be empty.</source>
        <translation>Die Netzmaske darf nicht leer sein.</translation>
    </message>
    <message>
        <source>Network mask %1 is not valid.</source>
        <translation>Die Netzmaske %1 ist ungültig.</translation>
    </message>
    <message>
        <source>Server IP address cannot be empty.</source>
        <translation>Die Server-IP-Adresse darf nicht leer sein.</translation>
    </message>
    <message>
        <source>Server IP address %1 is not valid.</source>
        <translation>Die Server-IP-Adresse %1 ist ungültig.</translation>
    </message>
    <message>
        <source>ESSID cannot be empty.</source>
        <translation>Die ESSID darf nicht leer sein.</translation>
    </message>
    <message>
        <source>WLAN IP address cannot be empty.</source>
        <translation>Die WLAN-IP-Adresse darf nicht leer sein.</translation>
    </message>
    <message>
        <source>WLAN IP address %1 is not valid.</source>
        <translation>Die WLAN-IP-Adresse %1 ist ungültig.</translation>
    </message>
    <message>
        <source>WLAN gateway cannot be empty.</source>
        <translation>Das WLAN-Gateway darf nicht leer sein.</translation>
    </message>
    <message>
        <source>WLAN gateway %1 is not valid.</source>
        <translation>Das WLAN-Gateway %1 ist ungültig.</translation>
    </message>
    <message>
        <source>WLAN netmask cannot be empty.</source>
        <translation>Die WLAN-Netzmaske darf nicht leer sein.</translation>
    </message>
    <message>
        <source>WLAN netmask %1 is not valid.</source>
        <translation>Die WLAN-Netzmaske %1 ist ungültig.</translation>
    </message>
    <message>
        <source>DMZ IP address cannot be empty.</source>
        <translation>Die DMZ-IP-Adresse darf nicht leer sein.</translation>
    </message>
    <message>
        <source>DMZ IP address %1 is not valid.</source>
        <translation>Die DMZ-IP-Adresse %1 ist ungültig.</translation>
    </message>
</context>
<context>
    <name>schedule_event_Dialog</name>
    <message>
        <source>Player scheduler</source>
        <translation>Player-Zeitplaner</translation>
    </message>
    <message>
        <source>&lt;b&gt;Select event/action&lt;/b&gt;:</source>
        <translation>&lt;b&gt;Ereignis/Aktion wählen&lt;/b&gt;:</translation>
    </message>
    <message>
        <source>NONE</source>
        <translation>KEINE</translation>
    </message>
    <message>
        <source>Power off</source>
        <translation>Ausschalten</translation>
    </message>
    <message>
        <source>Power on</source>
        <translation>Einschalten</translation>
    </message>
    <message>
        <source>Update playlists and contents</source>
        <translation>Wiedergabelisten und Inhalte aktualisieren</translation>
    </message>
    <message>
        <source>Switch to POLL mode operation</source>
        <translation>In den POLL-Betrieb wechseln</translation>
    </message>
    <message>
        <source>&lt;b&gt;This event will start at&lt;/b&gt;</source>
        <translation>&lt;b&gt;Dieses Ereignis beginnt um&lt;/b&gt;</translation>
    </message>
    <message>
        <source>Virtual Player name</source>
        <translation>Name des virtuellen Players</translation>
    </message>
    <message>
        <source>This is the virtual player name for the batch udpate event and poll mode event. A virtual player can be created from Server Contents window.</source>
        <translation>Dies ist der Name des virtuellen Players für das Batch-Aktualisierungs- und das Poll-Ereignis. Einen virtuellen Player können Sie im Fenster Serverinhalt anlegen.</translation>
    </message>
    <message>
        <source>Contents Web Server</source>
        <translation>Web-Server für Inhalte</translation>
    </message>
    <message>
        <source>Contents Web User</source>
        <translation>Web-Benutzer für Inhalte</translation>
    </message>
    <message>
        <source>Local content name to play</source>
        <translation>Name des lokalen Inhalts zum Abspielen</translation>
    </message>
    <message>
        <source>Playback time (seconds)</source>
        <translation>Wiedergabedauer (Sekunden)</translation>
    </message>
    <message>
        <source>Keep logs for the past (days)</source>
        <translation>Protokolle aufbewahren für die letzten (Tage)</translation>
    </message>
    <message>
        <source>&lt;b&gt;The above event/action will repeat at the following periods:&lt;/b&gt;</source>
        <translation>&lt;b&gt;Das obige Ereignis bzw. die Aktion wiederholt sich in folgenden Zeiträumen:&lt;/b&gt;</translation>
    </message>
    <message>
        <source>minute(s) [0--59]</source>
        <translation>Minute(n) [0--59]</translation>
    </message>
    <message>
        <source>hour(s) [0--23]</source>
        <translation>Stunde(n) [0--23]</translation>
    </message>
    <message>
        <source>day(s) of month [1--31]</source>
        <translation>Tag(e) des Monats [1--31]</translation>
    </message>
    <message>
        <source>month(s) [1--12]</source>
        <translation>Monat(e) [1--12]</translation>
    </message>
    <message>
        <source>day(s) of week [0--6]</source>
        <translation>Wochentag(e) [0--6]</translation>
    </message>
    <message>
        <source>valid range 0 to 59, supports list of minutes and range of numbers with optional steppings</source>
        <translation>gültiger Bereich 0 bis 59, erlaubt Listen von Minuten und Bereiche mit optionaler Schrittweite</translation>
    </message>
    <message>
        <source>valid range is 0 to 23, supports list and range of hours with optional steppings</source>
        <translation>gültiger Bereich 0 bis 23, erlaubt Listen und Bereiche von Stunden mit optionaler Schrittweite</translation>
    </message>
    <message>
        <source>valid range from 1 to 31, supports list of range of days with optional steppings</source>
        <translation>gültiger Bereich 1 bis 31, erlaubt Listen und Bereiche von Tagen mit optionaler Schrittweite</translation>
    </message>
    <message>
        <source>valid numbers are 1 to 12, supports list and range of months with optional steppings</source>
        <translation>gültige Werte 1 bis 12, erlaubt Listen und Bereiche von Monaten mit optionaler Schrittweite</translation>
    </message>
    <message>
        <source>valid numbners are 0 to 7, both 0 and 7 means Sunday, supports list and range of week-days with optional steppings</source>
        <translation>gültige Werte 0 bis 7, 0 und 7 bedeuten beide Sonntag, erlaubt Listen und Bereiche von Wochentagen mit optionaler Schrittweite</translation>
    </message>
    <message>
        <source>Current scheduled events</source>
        <translation>Aktuell geplante Ereignisse</translation>
    </message>
    <message>
        <source>Minute</source>
        <translation>Minute</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>Day-month</source>
        <translation>Monatstag</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Day-week</source>
        <translation>Wochentag</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Add task</source>
        <translation>Aufgabe hinzufügen</translation>
    </message>
    <message>
        <source>Delete task</source>
        <translation>Aufgabe löschen</translation>
    </message>
    <message>
        <source>Commit &amp;&amp; close</source>
        <translation>Übernehmen &amp;&amp; schließen</translation>
    </message>
    <message>
        <source>Abort &amp;&amp; close</source>
        <translation>Verwerfen &amp;&amp; schließen</translation>
    </message>
    <message>
        <source>Task scheduler</source>
        <translation>Aufgabenplaner</translation>
    </message>
    <message>
        <source>No action is specified. Nothing to do.</source>
        <translation>Keine Aktion angegeben. Nichts zu tun.</translation>
    </message>
    <message>
        <source>All entries are wildcards, this will trigger the task every minute.
Are you sure it is okay to proceed?</source>
        <translation>Alle Einträge sind Platzhalter, die Aufgabe wird also jede Minute ausgelöst.
Möchten Sie wirklich fortfahren?</translation>
    </message>
    <message>
        <source>A virtual/mirror player name is required.</source>
        <translation>Der Name eines virtuellen bzw. gespiegelten Players ist erforderlich.</translation>
    </message>
    <message>
        <source>A virtual/mirror player name is required in polling mode</source>
        <translation>Im Poll-Betrieb ist der Name eines virtuellen bzw. gespiegelten Players erforderlich</translation>
    </message>
    <message>
        <source>A Web server name is required in polling mode.</source>
        <translation>Im Poll-Betrieb ist ein Web-Server-Name erforderlich.</translation>
    </message>
    <message>
        <source>A Web user name is required in polling mode.</source>
        <translation>Im Poll-Betrieb ist ein Web-Benutzername erforderlich.</translation>
    </message>
    <message>
        <source>Task Scheduler</source>
        <translation>Aufgabenplaner</translation>
    </message>
    <message>
        <source>Need to select an item first.</source>
        <translation>Wählen Sie zuerst einen Eintrag aus.</translation>
    </message>
    <message>
        <source>The field &quot;%1&quot; is empty; &quot;*&quot; stands for every value.</source>
        <translation>Das Feld „%1“ ist leer; „*“ steht für jeden Wert.</translation>
    </message>
    <message>
        <source>The field &quot;%1&quot; holds &quot;%2&quot;, which is not valid: %3.</source>
        <translation>Das Feld „%1“ enthält „%2“, das ist nicht gültig: %3.</translation>
    </message>
    <message>
        <source>The virtual/mirror player name &quot;%1&quot; may only hold letters, digits and &quot;_&quot;.</source>
        <translation>Der Name des virtuellen Players „%1“ darf nur Buchstaben, Ziffern und „_“ enthalten.</translation>
    </message>
    <message>
        <source>The Web server &quot;%1&quot; is neither a host name nor an IP address.</source>
        <translation>Der Web-Server „%1“ ist weder ein Hostname noch eine IP-Adresse.</translation>
    </message>
    <message>
        <source>The Web user &quot;%1&quot; is not a user name: up to 32 letters, digits, &quot;_&quot;, &quot;.&quot; and &quot;-&quot;, not starting with &quot;.&quot; or &quot;-&quot;.</source>
        <translation>Der Web-Benutzer „%1“ ist kein Benutzername: bis zu 32 Buchstaben, Ziffern, „_“, „.“ und „-“, nicht mit „.“ oder „-“ am Anfang.</translation>
    </message>
    <message>
        <source>Kept as read from the player; this dialog would not create this line.</source>
        <translation>Unverändert vom Player übernommen; dieser Dialog würde diese Zeile nicht erzeugen.</translation>
    </message>
</context>
<context>
    <name>virtual_player_name</name>
    <message>
        <source>Virtual Player Name</source>
        <translation>Name des virtuellen Players</translation>
    </message>
    <message>
        <source>Enter name for the new virtual player or player group:</source>
        <translation>Namen für den neuen virtuellen Player oder die Player-Gruppe eingeben:</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Cancel</source>
        <translation>&amp;Abbrechen</translation>
    </message>
    <message>
        <source>There is already a player named %1. Please choose another name.</source>
        <translation>Es gibt bereits einen Player namens %1. Bitte einen anderen Namen wählen.</translation>
    </message>
</context>
</TS>
