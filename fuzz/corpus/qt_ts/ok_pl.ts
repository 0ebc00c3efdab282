<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pl_PL" sourcelanguage="en">
<context>
    <name>MainWindow</name>
    <message>
        <location filename="../src/mainwindow.cpp" line="42"/>
        <source>&amp;Open...</source>
        <translation>&amp;Otwórz…</translation>
    </message>
    <message numerus="yes">
        <location filename="../src/mainwindow.cpp" line="91"/>
        <source>%n file(s) selected</source>
        <translation>
            <numerusform>Wybrano %n plik</numerusform>
            <numerusform>Wybrano %n pliki</numerusform>
            <numerusform>Wybrano %n plików</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location filename="../src/mainwindow.cpp" line="95"/>
        <source>%1 copied %n file(s)</source>
        <extracomment>%1 is the user's name</extracomment>
        <translation>
            <numerusform>%n plik skopiowany przez %1</numerusform>
            <numerusform>%n pliki skopiowane przez %1</numerusform>
            <numerusform>%n plików skopiowanych przez %1</numerusform>
        </translation>
    </message>
    <message>
        <location filename="../src/mainwindow.cpp" line="80"/>
        <source>Copied %1 to %2</source>
        <translation>Skopiowano %1 do %2</translation>
    </message>
    <message>
        <source>Print</source>
        <translation type="vanished">Drukuj</translation>
    </message>
</context>
</TS>
