<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
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
        <translation>Medienablage:</translation>
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
        <translation>Medienablage</translation>
    </message>
    <message>
        <source>The content repository path must not be empty. It remains &quot;%1&quot;.</source>
        <translation>Der Pfad der Medienablage darf nicht leer sein. Er bleibt „%1“.</translation>
    </message>
</context>
</TS>
