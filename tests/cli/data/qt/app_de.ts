<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/mainwindow.cpp" line="42"/>
        <source>&amp;Open...</source>
        <translation>&amp;Öffnen …</translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="57"/>
        <source>Open</source>
        <comment>verb: open a file</comment>
        <translation>Öffnen</translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="58"/>
        <source>Open</source>
        <comment>adjective: the file is open</comment>
        <translation>Geöffnet</translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="80"/>
        <source>Copied %1 to %2</source>
        <extracomment>%1 is a file name, %2 a folder</extracomment>
        <translatorcomment>Reihenfolge umgestellt</translatorcomment>
        <translation>Nach %2 kopiert: %1</translation>
    </message>
    <message numerus="yes">
        <location filename="../src/mainwindow.cpp" line="91"/>
        <source>%n file(s) selected</source>
        <translation>
            <numerusform>%n Datei ausgewählt</numerusform>
            <numerusform>%n Dateien ausgewählt</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="99"/>
        <source>100% done &lt;%1&gt;</source>
        <translation>100% fertig &lt;%1&gt;</translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="120"/>
        <source>Save as PDF</source>
        <translation type="unfinished">Als PDF speichern</translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="130"/>
        <source>Print</source>
        <translation type="unfinished"></translation>
    </message>
    <message>
        <source>Quit</source>
        <translation type="obsolete">Beenden</translation>
    </message>
</context>
<context>
    <name>SettingsDialog</name>
    <message>
        <location filename="../src/settings.cpp" line="12"/>
        <source>Open</source>
        <translation>Öffnen</translation>
    </message>
    <message>
        <location filename="../src/settings.cpp" line="30"/>
        <source>Cache size: %L1 MB</source>
        <translation>Cache-Größe: %L1 MB</translation>
    </message>
</context>
</TS>
