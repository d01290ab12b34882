<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR">
<context>
    <name></name>
    <!-- Ids are the program's message numbers. Where the text ends in a blank,
         the program appends a file name or version after it. -->
    <message id="101">
        <source>&amp;About Tessaramond...</source>
        <translation>À &amp;propos de Tessaramond...</translation>
    </message>
    <message id="110">
        <source>Fehler beim Öffnen der Zeichensatz-Konfigurationsdatei</source>
        <translation>Erreur lors de l'ouverture du fichier de configuration du jeu de caractères</translation>
    </message>
    <message id="111">
        <source>Fehler beim Öffnen der Kochbuch-Konfigurationsdatei</source>
        <translation>Erreur lors de l'ouverture du fichier de configuration du livre de recettes</translation>
    </message>
    <message id="112">
        <source>Fehler beim Öffnen der Sprachen-Konfigurationsdatei</source>
        <translation>Erreur lors de l'ouverture du fichier de configuration des langues</translation>
    </message>
    <message id="116">
        <source>Fehler beim Öffnen der Sprachen-Datei </source>
        <translation>Erreur lors de l'ouverture du fichier de langue </translation>
    </message>
    <message id="117">
        <source>enthält eine falsche Anzahl an Text-Einträgen</source>
        <translation>contient un nombre incorrect d'entrées de texte</translation>
    </message>
    <message id="118">
        <source>Fehlende(s) Zeilenende-Zeichen oder leere Zeile in </source>
        <translation>Caractère(s) de fin de ligne manquant(s) ou ligne vide dans </translation>
    </message>
    <message id="119">
        <source>Anfangszeichen für Oktalcode gefunden jedoch nicht genügend Ziffern in </source>
        <translation>Caractère de début de code octal trouvé mais chiffres insuffisants dans </translation>
    </message>
    <message id="120">
        <source>Fehler beim Öffnen der Zeichensatz-Datei </source>
        <translation>Erreur lors de l'ouverture du fichier de jeu de caractères </translation>
    </message>
    <message id="121">
        <source>Fehler beim Öffnen der Kochbuch-Datei </source>
        <translation>Erreur lors de l'ouverture du fichier de livre de recettes </translation>
    </message>
    <message id="122">
        <source>ready</source>
        <translation>prêt</translation>
    </message>
    <message id="123">
        <source>End-Telegram</source>
        <translation>Télégramme de fin</translation>
    </message>
    <message id="125">
        <source>Fehler beim Öffnen der COM-Schnittstelle</source>
        <translation>Erreur lors de l'ouverture du port COM</translation>
    </message>
    <message id="126">
        <source>Fehler beim Senden</source>
        <translation>Erreur lors de l'envoi</translation>
    </message>
    <message id="127">
        <source>Fehler beim Lesen der Antwort vom Steuermodul</source>
        <translation>Erreur lors de la lecture de la réponse du module de commande</translation>
    </message>
    <message id="128">
        <source>no SM file loaded</source>
        <translation>aucun fichier SM chargé</translation>
    </message>
    <message id="129">
        <source>Can't open COM-Port !!!</source>
        <translation>Impossible d'ouvrir le port COM !!!</translation>
    </message>
    <message id="130">
        <source>Switch main-power on...</source>
        <translation>Enclenchez l'interrupteur principal...</translation>
    </message>
    <message id="131">
        <source>ERROR: can't write to COM</source>
        <translation>ERREUR : écriture impossible sur COM</translation>
    </message>
    <message id="132">
        <source>ERROR: TimeOut</source>
        <translation>ERREUR : délai dépassé</translation>
    </message>
    <message id="133">
        <source>ERROR: bad verify-string</source>
        <translation>ERREUR : chaîne de vérification incorrecte</translation>
    </message>
    <message id="134">
        <source>ERROR: no start sign</source>
        <translation>ERREUR : aucun caractère de début</translation>
    </message>
    <message id="135">
        <source>ERROR: wrong start sign</source>
        <translation>ERREUR : caractère de début incorrect</translation>
    </message>
    <message id="136">
        <source>Programming started...</source>
        <translation>Programmation démarrée...</translation>
    </message>
    <message id="137">
        <source>Don't touch anything while programming ;-)</source>
        <translation>Ne touchez à rien pendant la programmation ;-)</translation>
    </message>
    <message id="138">
        <source>ERROR in data-transmission</source>
        <translation>ERREUR lors de la transmission des données</translation>
    </message>
    <message id="139">
        <source>ERROR: no answer from device</source>
        <translation>ERREUR : aucune réponse de l'appareil</translation>
    </message>
    <message id="140">
        <source>ERROR: wrong data/checksum</source>
        <translation>ERREUR : données/somme de contrôle incorrectes</translation>
    </message>
    <message id="141">
        <source>Update SM successful</source>
        <translation>Mise à jour SM réussie</translation>
    </message>
    <message id="142">
        <source>no BM file loaded</source>
        <translation>aucun fichier BM chargé</translation>
    </message>
    <message id="143">
        <source>Update SM and BM successful</source>
        <translation>Mise à jour SM et BM réussie</translation>
    </message>
    <message id="144">
        <source>ERROR: Couldn't start new thread!</source>
        <translation>ERREUR : impossible de démarrer un nouveau thread !</translation>
    </message>
    <message id="145">
        <source>Programming canceled before start</source>
        <translation>Programmation annulée avant le démarrage</translation>
    </message>
    <message id="146">
        <source>Please reset the Pellandrix by press the On/Off button for 4 seconds</source>
        <translation>Veuillez réinitialiser le Pellandrix en appuyant 4 secondes sur la touche Marche/Arrêt</translation>
    </message>
    <message id="147">
        <source>Invalid character in hex-File!</source>
        <translation>Caractère non valide dans le fichier hex !</translation>
    </message>
    <message id="148">
        <source>Invalid line start character in hex-File!</source>
        <translation>Caractère de début de ligne non valide dans le fichier hex !</translation>
    </message>
    <message id="149">
        <source>Checksum error!</source>
        <translation>Erreur de somme de contrôle !</translation>
    </message>
    <message id="150">
        <source>No identification in hex-File!</source>
        <translation>Aucune identification dans le fichier hex !</translation>
    </message>
    <message id="151">
        <source>Reading data.....</source>
        <translation>Lecture des données.....</translation>
    </message>
    <message id="152">
        <source>Press the button &quot;Update SM&quot;</source>
        <translation>Appuyez sur le bouton &quot;Update SM&quot;</translation>
    </message>
    <message id="153">
        <source>1. Switch off the main power from unit</source>
        <translation>1. Coupez l'alimentation principale de l'appareil</translation>
    </message>
    <message id="154">
        <source>2. Connect the PC via RS232 to the SM</source>
        <translation>2. Reliez le PC au SM via RS232</translation>
    </message>
    <message id="155">
        <source>3. Disconnect the X12 from SM</source>
        <translation>3. Débranchez le X12 du SM</translation>
    </message>
    <message id="156">
        <source>Language</source>
        <translation>Langue</translation>
    </message>
    <message id="157">
        <source>BM upload in progress...</source>
        <translation>Transfert BM en cours...</translation>
    </message>
    <message id="158">
        <source>SM upload in progress...</source>
        <translation>Transfert SM en cours...</translation>
    </message>
    <message id="159">
        <source>BM file found</source>
        <translation>Fichier BM trouvé</translation>
    </message>
    <message id="160">
        <source>SM file found</source>
        <translation>Fichier SM trouvé</translation>
    </message>
    <message id="161">
        <source>Flash upload in progress...</source>
        <translation>Transfert flash en cours...</translation>
    </message>
    <message id="162">
        <source>Upload process succeeded :-)</source>
        <translation>Transfert terminé avec succès :-)</translation>
    </message>
    <message id="163">
        <source>Lumo Flash Update </source>
        <translation>Mise à jour flash Lumo </translation>
    </message>
    <message id="164">
        <source>Kesto FlashUpdate</source>
        <translation>Mise à jour flash Kesto</translation>
    </message>
</context>
</TS>
