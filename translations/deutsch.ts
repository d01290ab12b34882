<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name></name>
    <!-- Ids are the program's message numbers. Where the text ends in a blank,
         the program appends a file name or version after it. -->
    <message id="101">
        <source>&amp;About Tessaramond...</source>
        <translation>&amp;Über Tessaramond...</translation>
    </message>
    <message id="110">
        <source>Fehler beim Öffnen der Zeichensatz-Konfigurationsdatei</source>
        <translation>Fehler beim Öffnen der Zeichensatz-Konfigurationsdatei</translation>
    </message>
    <message id="111">
        <source>Fehler beim Öffnen der Kochbuch-Konfigurationsdatei</source>
        <translation>Fehler beim Öffnen der Kochbuch-Konfigurationsdatei</translation>
    </message>
    <message id="112">
        <source>Fehler beim Öffnen der Sprachen-Konfigurationsdatei</source>
        <translation>Fehler beim Öffnen der Sprachen-Konfigurationsdatei</translation>
    </message>
    <message id="116">
        <source>Fehler beim Öffnen der Sprachen-Datei </source>
        <translation>Fehler beim Öffnen der Sprachen-Datei </translation>
    </message>
    <message id="117">
        <source>enthält eine falsche Anzahl an Text-Einträgen</source>
        <translation>enthält eine falsche Anzahl an Text-Einträgen</translation>
    </message>
    <message id="118">
        <source>Fehlende(s) Zeilenende-Zeichen oder leere Zeile in </source>
        <translation>Fehlende(s) Zeilenende-Zeichen oder leere Zeile in </translation>
    </message>
    <message id="119">
        <source>Anfangszeichen für Oktalcode gefunden jedoch nicht genügend Ziffern in </source>
        <translation>Anfangszeichen für Oktalcode gefunden jedoch nicht genügend Ziffern in </translation>
    </message>
    <message id="120">
        <source>Fehler beim Öffnen der Zeichensatz-Datei </source>
        <translation>Fehler beim Öffnen der Zeichensatz-Datei </translation>
    </message>
    <message id="121">
        <source>Fehler beim Öffnen der Kochbuch-Datei </source>
        <translation>Fehler beim Öffnen der Kochbuch-Datei </translation>
    </message>
    <message id="122">
        <source>ready</source>
        <translation>bereit</translation>
    </message>
    <message id="123">
        <source>End-Telegram</source>
        <translation>Ende-Telegramm</translation>
    </message>
    <message id="125">
        <source>Fehler beim Öffnen der COM-Schnittstelle</source>
        <translation>Fehler beim Öffnen der COM-Schnittstelle</translation>
    </message>
    <message id="126">
        <source>Fehler beim Senden</source>
        <translation>Fehler beim Senden</translation>
    </message>
    <message id="127">
        <source>Fehler beim Lesen der Antwort vom Steuermodul</source>
        <translation>Fehler beim Lesen der Antwort vom Steuermodul</translation>
    </message>
    <message id="128">
        <source>no SM file loaded</source>
        <translation>keine SM-Datei geladen</translation>
    </message>
    <message id="129">
        <source>Can't open COM-Port !!!</source>
        <translation>COM-Schnittstelle kann nicht geöffnet werden !!!</translation>
    </message>
    <message id="130">
        <source>Switch main-power on...</source>
        <translation>Hauptschalter einschalten...</translation>
    </message>
    <message id="131">
        <source>ERROR: can't write to COM</source>
        <translation>FEHLER: Schreiben auf COM nicht möglich</translation>
    </message>
    <message id="132">
        <source>ERROR: TimeOut</source>
        <translation>FEHLER: Zeitüberschreitung</translation>
    </message>
    <message id="133">
        <source>ERROR: bad verify-string</source>
        <translation>FEHLER: ungültiger Prüf-String</translation>
    </message>
    <message id="134">
        <source>ERROR: no start sign</source>
        <translation>FEHLER: kein Startzeichen</translation>
    </message>
    <message id="135">
        <source>ERROR: wrong start sign</source>
        <translation>FEHLER: falsches Startzeichen</translation>
    </message>
    <message id="136">
        <source>Programming started...</source>
        <translation>Programmierung gestartet...</translation>
    </message>
    <message id="137">
        <source>Don't touch anything while programming ;-)</source>
        <translation>Während der Programmierung nichts berühren ;-)</translation>
    </message>
    <message id="138">
        <source>ERROR in data-transmission</source>
        <translation>FEHLER bei der Datenübertragung</translation>
    </message>
    <message id="139">
        <source>ERROR: no answer from device</source>
        <translation>FEHLER: keine Antwort vom Gerät</translation>
    </message>
    <message id="140">
        <source>ERROR: wrong data/checksum</source>
        <translation>FEHLER: falsche Daten/Prüfsumme</translation>
    </message>
    <message id="141">
        <source>Update SM successful</source>
        <translation>SM-Update erfolgreich</translation>
    </message>
    <message id="142">
        <source>no BM file loaded</source>
        <translation>keine BM-Datei geladen</translation>
    </message>
    <message id="143">
        <source>Update SM and BM successful</source>
        <translation>SM- und BM-Update erfolgreich</translation>
    </message>
    <message id="144">
        <source>ERROR: Couldn't start new thread!</source>
        <translation>FEHLER: Neuer Thread konnte nicht gestartet werden!</translation>
    </message>
    <message id="145">
        <source>Programming canceled before start</source>
        <translation>Programmierung vor dem Start abgebrochen</translation>
    </message>
    <message id="146">
        <source>Please reset the Pellandrix by press the On/Off button for 4 seconds</source>
        <translation>Bitte den Pellandrix zurücksetzen, dazu die Ein/Aus-Taste 4 Sekunden lang drücken</translation>
    </message>
    <message id="147">
        <source>Invalid character in hex-File!</source>
        <translation>Ungültiges Zeichen in der hex-Datei!</translation>
    </message>
    <message id="148">
        <source>Invalid line start character in hex-File!</source>
        <translation>Ungültiges Zeilenanfangszeichen in der hex-Datei!</translation>
    </message>
    <message id="149">
        <source>Checksum error!</source>
        <translation>Prüfsummenfehler!</translation>
    </message>
    <message id="150">
        <source>No identification in hex-File!</source>
        <translation>Keine Kennung in der hex-Datei!</translation>
    </message>
    <message id="151">
        <source>Reading data.....</source>
        <translation>Daten werden gelesen.....</translation>
    </message>
    <message id="152">
        <source>Press the button &quot;Update SM&quot;</source>
        <translation>Taste &quot;Update SM&quot; drücken</translation>
    </message>
    <message id="153">
        <source>1. Switch off the main power from unit</source>
        <translation>1. Hauptschalter des Geräts ausschalten</translation>
    </message>
    <message id="154">
        <source>2. Connect the PC via RS232 to the SM</source>
        <translation>2. PC über RS232 mit dem SM verbinden</translation>
    </message>
    <message id="155">
        <source>3. Disconnect the X12 from SM</source>
        <translation>3. X12 vom SM abziehen</translation>
    </message>
    <message id="156">
        <source>Language</source>
        <translation>Sprache</translation>
    </message>
    <message id="157">
        <source>BM upload in progress...</source>
        <translation>BM-Übertragung läuft...</translation>
    </message>
    <message id="158">
        <source>SM upload in progress...</source>
        <translation>SM-Übertragung läuft...</translation>
    </message>
    <message id="159">
        <source>BM file found</source>
        <translation>BM-Datei gefunden</translation>
    </message>
    <message id="160">
        <source>SM file found</source>
        <translation>SM-Datei gefunden</translation>
    </message>
    <message id="161">
        <source>Flash upload in progress...</source>
        <translation>Flash-Übertragung läuft...</translation>
    </message>
    <message id="162">
        <source>Upload process succeeded :-)</source>
        <translation>Übertragung erfolgreich abgeschlossen :-)</translation>
    </message>
    <message id="163">
        <source>Lumo Flash Update </source>
        <translation>Lumo Flash-Update </translation>
    </message>
    <message id="164">
        <source>Kesto FlashUpdate</source>
        <translation>Kesto Flash-Update</translation>
    </message>
</context>
</TS>
