<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name></name>
    <!-- Ids are the program's message numbers. Where the text ends in a blank,
         the program appends a file name or version after it. -->
    <message id="101">
        <source>&amp;About Tessaramond...</source>
        <translation>&amp;About Tessaramond...</translation>
    </message>
    <message id="110">
        <source>Fehler beim Öffnen der Zeichensatz-Konfigurationsdatei</source>
        <translation>Error opening the character set configuration file</translation>
    </message>
    <message id="111">
        <source>Fehler beim Öffnen der Kochbuch-Konfigurationsdatei</source>
        <translation>Error opening the cookbook configuration file</translation>
    </message>
    <message id="112">
        <source>Fehler beim Öffnen der Sprachen-Konfigurationsdatei</source>
        <translation>Error opening the language configuration file</translation>
    </message>
    <message id="116">
        <source>Fehler beim Öffnen der Sprachen-Datei </source>
        <translation>Error opening the language file </translation>
    </message>
    <message id="117">
        <source>enthält eine falsche Anzahl an Text-Einträgen</source>
        <translation>contains a wrong number of text entries</translation>
    </message>
    <message id="118">
        <source>Fehlende(s) Zeilenende-Zeichen oder leere Zeile in </source>
        <translation>Missing end-of-line character(s) or empty line in </translation>
    </message>
    <message id="119">
        <source>Anfangszeichen für Oktalcode gefunden jedoch nicht genügend Ziffern in </source>
        <translation>Octal code start character found but not enough digits in </translation>
    </message>
    <message id="120">
        <source>Fehler beim Öffnen der Zeichensatz-Datei </source>
        <translation>Error opening the character set file </translation>
    </message>
    <message id="121">
        <source>Fehler beim Öffnen der Kochbuch-Datei </source>
        <translation>Error opening the cookbook file </translation>
    </message>
    <message id="122">
        <source>ready</source>
        <translation>ready</translation>
    </message>
    <message id="123">
        <source>End-Telegram</source>
        <translation>End-Telegram</translation>
    </message>
    <message id="125">
        <source>Fehler beim Öffnen der COM-Schnittstelle</source>
        <translation>Error opening the COM port</translation>
    </message>
    <message id="126">
        <source>Fehler beim Senden</source>
        <translation>Error while sending</translation>
    </message>
    <message id="127">
        <source>Fehler beim Lesen der Antwort vom Steuermodul</source>
        <translation>Error reading the reply from the control module</translation>
    </message>
    <message id="128">
        <source>no SM file loaded</source>
        <translation>no SM file loaded</translation>
    </message>
    <message id="129">
        <source>Can't open COM-Port !!!</source>
        <translation>Can't open COM-Port !!!</translation>
    </message>
    <message id="130">
        <source>Switch main-power on...</source>
        <translation>Switch main-power on...</translation>
    </message>
    <message id="131">
        <source>ERROR: can't write to COM</source>
        <translation>ERROR: can't write to COM</translation>
    </message>
    <message id="132">
        <source>ERROR: TimeOut</source>
        <translation>ERROR: TimeOut</translation>
    </message>
    <message id="133">
        <source>ERROR: bad verify-string</source>
        <translation>ERROR: bad verify-string</translation>
    </message>
    <message id="134">
        <source>ERROR: no start sign</source>
        <translation>ERROR: no start sign</translation>
    </message>
    <message id="135">
        <source>ERROR: wrong start sign</source>
        <translation>ERROR: wrong start sign</translation>
    </message>
    <message id="136">
        <source>Programming started...</source>
        <translation>Programming started...</translation>
    </message>
    <message id="137">
        <source>Don't touch anything while programming ;-)</source>
        <translation>Don't touch anything while programming ;-)</translation>
    </message>
    <message id="138">
        <source>ERROR in data-transmission</source>
        <translation>ERROR in data-transmission</translation>
    </message>
    <message id="139">
        <source>ERROR: no answer from device</source>
        <translation>ERROR: no answer from device</translation>
    </message>
    <message id="140">
        <source>ERROR: wrong data/checksum</source>
        <translation>ERROR: wrong data/checksum</translation>
    </message>
    <message id="141">
        <source>Update SM successful</source>
        <translation>Update SM successful</translation>
    </message>
    <message id="142">
        <source>no BM file loaded</source>
        <translation>no BM file loaded</translation>
    </message>
    <message id="143">
        <source>Update SM and BM successful</source>
        <translation>Update SM and BM successful</translation>
    </message>
    <message id="144">
        <source>ERROR: Couldn't start new thread!</source>
        <translation>ERROR: Couldn't start new thread!</translation>
    </message>
    <message id="145">
        <source>Programming canceled before start</source>
        <translation>Programming canceled before start</translation>
    </message>
    <message id="146">
        <source>Please reset the Pellandrix by press the On/Off button for 4 seconds</source>
        <translation>Please reset the Pellandrix by press the On/Off button for 4 seconds</translation>
    </message>
    <message id="147">
        <source>Invalid character in hex-File!</source>
        <translation>Invalid character in hex-File!</translation>
    </message>
    <message id="148">
        <source>Invalid line start character in hex-File!</source>
        <translation>Invalid line start character in hex-File!</translation>
    </message>
    <message id="149">
        <source>Checksum error!</source>
        <translation>Checksum error!</translation>
    </message>
    <message id="150">
        <source>No identification in hex-File!</source>
        <translation>No identification in hex-File!</translation>
    </message>
    <message id="151">
        <source>Reading data.....</source>
        <translation>Reading data.....</translation>
    </message>
    <message id="152">
        <source>Press the button &quot;Update SM&quot;</source>
        <translation>Press the button &quot;Update SM&quot;</translation>
    </message>
    <message id="153">
        <source>1. Switch off the main power from unit</source>
        <translation>1. Switch off the main power from unit</translation>
    </message>
    <message id="154">
        <source>2. Connect the PC via RS232 to the SM</source>
        <translation>2. Connect the PC via RS232 to the SM</translation>
    </message>
    <message id="155">
        <source>3. Disconnect the X12 from SM</source>
        <translation>3. Disconnect the X12 from SM</translation>
    </message>
    <message id="156">
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message id="157">
        <source>BM upload in progress...</source>
        <translation>BM upload in progress...</translation>
    </message>
    <message id="158">
        <source>SM upload in progress...</source>
        <translation>SM upload in progress...</translation>
    </message>
    <message id="159">
        <source>BM file found</source>
        <translation>BM file found</translation>
    </message>
    <message id="160">
        <source>SM file found</source>
        <translation>SM file found</translation>
    </message>
    <message id="161">
        <source>Flash upload in progress...</source>
        <translation>Flash upload in progress...</translation>
    </message>
    <message id="162">
        <source>Upload process succeeded :-)</source>
        <translation>Upload process succeeded :-)</translation>
    </message>
    <message id="163">
        <source>Lumo Flash Update </source>
        <translation>Lumo Flash Update </translation>
    </message>
    <message id="164">
        <source>Kesto FlashUpdate</source>
        <translation>Kesto FlashUpdate</translation>
    </message>
</context>
</TS>
