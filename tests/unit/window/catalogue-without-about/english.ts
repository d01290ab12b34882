<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<!-- A catalogue that lacks the About entry (101): the window must leave the entry out. -->
<context>
    <name></name>
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
</context>
</TS>
