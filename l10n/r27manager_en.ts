<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="cs">
<context>
    <name>Texts</name>
    <message>
        <source>Načítám ... %1%</source>
        <translation>Loading ... %1%</translation>
    </message>
    <message>
        <source>Skenuji ... %1%</source>
        <translation>Scanning ... %1%</translation>
    </message>
    <message>
        <source>Načítání ... %1%</source>
        <translation>Loading ... %1%</translation>
    </message>
    <message>
        <source>Čtení ... %1%</source>
        <translation>Reading ... %1%</translation>
    </message>
    <message>
        <source>Načítání DEF kódů ... %1%</source>
        <translation>Loading DEF codes ... %1%</translation>
    </message>
    <message>
        <source>Načítám kalibrační data ...</source>
        <translation>Loading calibration data ...</translation>
    </message>
    <message>
        <source>Čtení kalibračních dat ... %1%</source>
        <translation>Reading calibration data ... %1%</translation>
    </message>
    <message>
        <source>Identifikace jednotky ...</source>
        <translation>Identifying the unit ...</translation>
    </message>
    <message>
        <source>Na adrese %1 nebyla nalezena žádná jednotka RM-27/RMU.</source>
        <translation>No RM-27/RMU unit was found at address %1.</translation>
    </message>
    <message>
        <source>Na adrese %1 nebyla nalezena RM-27/RMU.</source>
        <translation>The unit at address %1 is not an RM-27/RMU.</translation>
    </message>
    <message>
        <source>Error reading EKEY block</source>
        <translation>Error reading EKEY block</translation>
    </message>
    <message>
        <source>Error reading MEM block</source>
        <translation>Error reading MEM block</translation>
    </message>
    <message>
        <source>eKey %1</source>
        <translation>eKey %1</translation>
    </message>
    <message>
        <source>Internal</source>
        <translation>Internal</translation>
    </message>
    <message>
        <source>Internal - N/A</source>
        <translation>Internal - N/A</translation>
    </message>
    <message>
        <source>OK.</source>
        <translation>OK.</translation>
    </message>
    <message>
        <source>Ukončuji měření  ...</source>
        <translation>Stopping the measurement ...</translation>
    </message>
    <message>
        <source>Načítání ...</source>
        <translation>Loading ...</translation>
    </message>
    <message>
        <source>Spouštím živé měření ...</source>
        <translation>Starting live measurement ...</translation>
    </message>
    <message>
        <source>OK, měření spuštěno ...</source>
        <translation>OK, measurement running ...</translation>
    </message>
    <message>
        <source>Jednotka nenalezena!</source>
        <translation>Unit not found!</translation>
    </message>
    <message>
        <source>Jednotka nepřipojena</source>
        <translation>Unit not connected</translation>
    </message>
    <message>
        <source>Actual device address is %1. While changing address (in range 1 to 159) take care on address colision.</source>
        <translation>The device&apos;s address is %1. When changing the address (1 to 159), take care not to give two devices the same address.</translation>
    </message>
    <message>
        <source>Change device address </source>
        <translation>Change device address</translation>
    </message>
    <message>
        <source>Blok %1 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v bajtu %2 (zapsáno %3h, přečteno %4h).</source>
        <translation>After the write, block %1 does not hold what was written: the first difference is at byte %2 (written %3h, read %4h).</translation>
    </message>
    <message>
        <source>Zápis bloku %1 nebyl ověřen novým čtením.</source>
        <translation>The write of block %1 was not checked by reading it again.</translation>
    </message>
    <message>
        <source>Blok %1 po zápisu neobsahuje, co bylo zapsáno.</source>
        <translation>After the write, block %1 does not hold what was written.</translation>
    </message>
    <message>
        <source>Komunikační port není otevřen. Do EEPROM nebylo nic zapsáno.</source>
        <translation>The communication port is not open. Nothing was written to the EEPROM.</translation>
    </message>
    <message>
        <source>Soubor %1 nelze přečíst (%2). Do EEPROM nebylo nic zapsáno.</source>
        <translation>File %1 cannot be read (%2). Nothing was written to the EEPROM.</translation>
    </message>
    <message>
        <source>Řádek %1 souboru %2 nemá tvar &quot;LL VV&quot; (adresa a hodnota, každá dvěma šestnáctkovými číslicemi): &quot;%3&quot;. Do EEPROM nebylo nic zapsáno.</source>
        <translation>Line %1 of file %2 is not of the form &quot;LL VV&quot; (address and value, two hex digits each): &quot;%3&quot;. Nothing was written to the EEPROM.</translation>
    </message>
    <message>
        <source>Soubor %1 neobsahuje žádný řádek s hodnotou. Do EEPROM nebylo nic zapsáno.</source>
        <translation>File %1 has no line with a value. Nothing was written to the EEPROM.</translation>
    </message>
    <message>
        <source>Zápis EEPROM %1/%2 ... %3%</source>
        <translation>Writing EEPROM %1/%2 ... %3%</translation>
    </message>
    <message>
        <source>Čtení EEPROM %1/%2 ... %3%</source>
        <translation>Reading EEPROM %1/%2 ... %3%</translation>
    </message>
    <message>
        <source>Zápis EEPROM ze souboru %1 skončil. Zapsáno bajtů: %2, z toho s odlišnou odpovědí převodníku: %3 (první na adrese %4: zapsáno %5, odpověď %6).</source>
        <translation>Writing the EEPROM from file %1 has finished. Bytes written: %2, of them answered differently by the converter: %3 (the first at address %4: written %5, answer %6).</translation>
    </message>
    <message>
        <source>Zápis EEPROM ze souboru %1 skončil. Zapsáno bajtů: %2, z toho s odlišnou odpovědí převodníku: %3.</source>
        <translation>Writing the EEPROM from file %1 has finished. Bytes written: %2, of them answered differently by the converter: %3.</translation>
    </message>
    <message>
        <source>žádná</source>
        <translation>none</translation>
    </message>
    <message>
        <source>Nový obsah platí po restartu převodníku.</source>
        <translation>The new contents take effect when the converter restarts.</translation>
    </message>
    <message>
        <source>Převodník neodpověděl na žádné čtení EEPROM, soubor %1 nebyl uložen.</source>
        <translation>The converter answered none of the EEPROM reads; file %1 was not saved.</translation>
    </message>
    <message>
        <source>Soubor %1 nelze zapsat (%2).</source>
        <translation>File %1 cannot be written (%2).</translation>
    </message>
    <message>
        <source>Obsah EEPROM uložen do souboru %1. Uloženo bajtů: %2.</source>
        <translation>EEPROM contents saved to file %1. Bytes saved: %2.</translation>
    </message>
    <message>
        <source>Adresy bez odpovědi převodníku: %1 (první %2), v souboru chybí.</source>
        <translation>Addresses the converter did not answer: %1 (the first %2); they are missing from the file.</translation>
    </message>
    <message>
        <source>Tato funkce slouží k blokovému přepsání paměti eeprom převodníku hodnotami z datového souboru. Používá se zejména při výrobě nebo řešení abnormálních stavů. Zavedením standardního obsahu se mimo jiné ruší dosavadní kalibrace.</source>
        <translation>This function overwrites the converter&apos;s EEPROM as a whole with the values of a data file. It is used mainly in production or to resolve abnormal states. Loading the standard contents discards, among other things, the present calibration.</translation>
    </message>
    <message>
        <source>    Chcete přesto pokračovat v akci?</source>
        <translation>    Do you want to continue all the same?</translation>
    </message>
    <message>
        <source>Komunikační port není otevřen, obsah EEPROM nelze přečíst.</source>
        <translation>The communication port is not open; the EEPROM contents cannot be read.</translation>
    </message>
    <message>
        <source>(bez identifikátoru)</source>
        <translation>(no identifier)</translation>
    </message>
    <message>
        <source>Obnovit eKey ze zálohy</source>
        <translation>Restore eKey from backup</translation>
    </message>
    <message>
        <source>Zálohy eKey (*.ekey)|*.ekey|Všechny |*.*</source>
        <translation>eKey backups (*.ekey)|*.ekey|All |*.*</translation>
    </message>
    <message>
        <source>eKey Vstup%1</source>
        <translation>eKey input %1</translation>
    </message>
    <message>
        <source>interní kopie Vstup%1</source>
        <translation>internal copy input %1</translation>
    </message>
    <message>
        <source>Zapsat zálohu zpět do převodníku ?</source>
        <translation>Write the backup back to the converter ?</translation>
    </message>
    <message>
        <source>Záloha: %1</source>
        <translation>Backup: %1</translation>
    </message>
    <message>
        <source>Převodník: %1, adresa %2</source>
        <translation>Converter: %1, address %2</translation>
    </message>
    <message>
        <source>Blok: %1 (%2)</source>
        <translation>Block: %1 (%2)</translation>
    </message>
    <message>
        <source>Snímač: %1</source>
        <translation>Sensor: %1</translation>
    </message>
    <message>
        <source>Pořízena: %1</source>
        <translation>Taken: %1</translation>
    </message>
    <message>
        <source>Blok nyní obsahuje (podle posledního čtení): snímač %1, shodný se zálohou</source>
        <translation>The block now holds (by the last reading): sensor %1, the same as the backup</translation>
    </message>
    <message>
        <source>Blok nyní obsahuje (podle posledního čtení): snímač %1</source>
        <translation>The block now holds (by the last reading): sensor %1</translation>
    </message>
    <message>
        <source>Pozor: v bloku je jiný snímač, než ze kterého je záloha.</source>
        <translation>Caution: the block holds another sensor than the one the backup was taken from.</translation>
    </message>
    <message>
        <source>Pozor: záloha je z jiného převodníku (připojen je %1, adresa %2).</source>
        <translation>Caution: the backup is from another converter (connected: %1, address %2).</translation>
    </message>
    <message>
        <source>Blok %1 není eKey ani interní kopie: záloha se nezapíše.</source>
        <translation>Block %1 is neither an eKey nor an internal copy: the backup is not written.</translation>
    </message>
    <message>
        <source>EKEY (Vstup%1) not present</source>
        <translation>EKEY (input %1) not present</translation>
    </message>
    <message>
        <source>Obnovuji blok %1 ze zálohy ...</source>
        <translation>Restoring block %1 from the backup ...</translation>
    </message>
    <message>
        <source>Chyba zápisu bloku %1 ze zálohy [E:%2]</source>
        <translation>Error writing block %1 from the backup [E:%2]</translation>
    </message>
    <message>
        <source>Blok %1 obnoven ze zálohy a ověřen čtením.</source>
        <translation>Block %1 restored from the backup and checked by reading.</translation>
    </message>
    <message>
        <source>Tato funkce provede prvotní inicializaci VŠECH připojených e-Key. Chcete pokračovat ?</source>
        <translation>This function initializes ALL connected e-Keys for the first time. Do you want to continue ?</translation>
    </message>
    <message>
        <source>%1 - neni eKey</source>
        <translation>%1 - no eKey</translation>
    </message>
    <message>
        <source>%1 - neslo vytvorit {%2)</source>
        <translation>%1 - could not be built {%2)</translation>
    </message>
    <message>
        <source>%1 - neslo zapsat</source>
        <translation>%1 - could not be written</translation>
    </message>
    <message>
        <source>%1 - neslo zapsat {%2)</source>
        <translation>%1 - could not be written {%2)</translation>
    </message>
    <message>
        <source>%1 - ID [ %2 ]</source>
        <translation>%1 - ID [ %2 ]</translation>
    </message>
    <message>
        <source>Vysledek : </source>
        <translation>Result : </translation>
    </message>
    <message>
        <source>Error during writing EKEY@Vstup4 [E:%1]</source>
        <translation>Error writing EKEY@input 4 [E:%1]</translation>
    </message>
    <message>
        <source>Reading source e-key Vstup%1 ...</source>
        <translation>Reading source e-key input %1 ...</translation>
    </message>
    <message>
        <source>Error reading EKEY@vstup%1 block</source>
        <translation>Error reading EKEY@input %1 block</translation>
    </message>
    <message>
        <source>Writing to internal Vstup%1 ...</source>
        <translation>Writing to internal input %1 ...</translation>
    </message>
    <message>
        <source>Copied. Read=%1 WRITE=%2</source>
        <translation>Copied. Read=%1 WRITE=%2</translation>
    </message>
    <message>
        <source>EKEYS not present</source>
        <translation>EKEYS not present</translation>
    </message>
    <message>
        <source>Reading destination e-key Vstup4 ...</source>
        <translation>Reading destination e-key input 4 ...</translation>
    </message>
    <message>
        <source>WRITING source e-key Vstup1 to e-key Vstup4 ...</source>
        <translation>WRITING source e-key input 1 to e-key input 4 ...</translation>
    </message>
    <message>
        <source>Saved. Read=%1&gt;%2 WRITE=%3</source>
        <translation>Saved. Read=%1&gt;%2 WRITE=%3</translation>
    </message>
    <message>
        <source>Tato funkce zkopíruje externí ekey (256B) do interni pameti. Chcete pokračovat ?</source>
        <translation>This function copies the external ekey (256B) to the internal memory. Do you want to continue ?</translation>
    </message>
    <message>
        <source>Tato funkce zkopíruje binarní obraz ekey (256B) ve vstupu 1 do ekeye na vstupu 4. Chcete pokračovat ?</source>
        <translation>This function copies the binary image of the ekey (256B) on input 1 to the ekey on input 4. Do you want to continue ?</translation>
    </message>
    <message>
        <source>Ukládání nastavení %1/4 ...</source>
        <translation>Saving settings %1/4 ...</translation>
    </message>
    <message>
        <source>Nelze uložit nastavení [ERR:%1]</source>
        <translation>Cannot save the settings [ERR:%1]</translation>
    </message>
    <message>
        <source>Chyba ukládání nastavení. [ERR:%1]</source>
        <translation>Error saving the settings. [ERR:%1]</translation>
    </message>
    <message>
        <source>Zadejte kolik to je mVV</source>
        <translation>Enter how much that is in mV/V</translation>
    </message>
    <message>
        <source>nemuze to byt nula</source>
        <translation>it cannot be zero</translation>
    </message>
    <message>
        <source>Zastavuji měření ...</source>
        <translation>Stopping the measurement ...</translation>
    </message>
    <message>
        <source>Ukládám kalibraci (Vstup %1) ...</source>
        <translation>Saving the calibration (input %1) ...</translation>
    </message>
    <message>
        <source>Nelze uložit křivku [ERR:%1]</source>
        <translation>Cannot save the curve [ERR:%1]</translation>
    </message>
    <message>
        <source>Chyba ukládání kalibrace. [ERR:%1]</source>
        <translation>Error saving the calibration. [ERR:%1]</translation>
    </message>
    <message>
        <source>Spouštím měření ...</source>
        <translation>Starting the measurement ...</translation>
    </message>
    <message>
        <source>OK, měření spuštěno.</source>
        <translation>OK, measurement running.</translation>
    </message>
    <message>
        <source>Potenciometr G0/1x</source>
        <translation>Potentiometer G0/1x</translation>
    </message>
    <message>
        <source>Potenciometr G1/2x</source>
        <translation>Potentiometer G1/2x</translation>
    </message>
    <message>
        <source>Univerzální G2/4x  </source>
        <translation>Universal G2/4x  </translation>
    </message>
    <message>
        <source>Univerzální G3/8x  </source>
        <translation>Universal G3/8x  </translation>
    </message>
    <message>
        <source>Univerzální G4/16x </source>
        <translation>Universal G4/16x </translation>
    </message>
    <message>
        <source>Univerzální G5/32x </source>
        <translation>Universal G5/32x </translation>
    </message>
    <message>
        <source>Tenzometr G6/64x </source>
        <translation>Strain gauge G6/64x </translation>
    </message>
    <message>
        <source>Tenzometr G7/128x</source>
        <translation>Strain gauge G7/128x</translation>
    </message>
    <message>
        <source>div -&gt; usr</source>
        <translation>div -&gt; usr</translation>
    </message>
    <message>
        <source>mV/V -&gt; usr</source>
        <translation>mV/V -&gt; usr</translation>
    </message>
    <message>
        <source>Hondota etalonu %1 se vyskytuje opakovaně. </source>
        <translation>Reference value %1 occurs more than once. </translation>
    </message>
    <message>
        <source>Hodnota signálu %1 se vyskytuje opakovaně. </source>
        <translation>Signal value %1 occurs more than once. </translation>
    </message>
    <message>
        <source>Signál [mV/V]</source>
        <translation>Signal [mV/V]</translation>
    </message>
    <message>
        <source>Signál [div]</source>
        <translation>Signal [div]</translation>
    </message>
    <message>
        <source>Snímač [ID:%1]</source>
        <translation>Sensor [ID:%1]</translation>
    </message>
    <message>
        <source>Kalibrace [ %1 ] Adr=%2 SubAdr=%3</source>
        <translation>Calibration [ %1 ] Adr=%2 SubAdr=%3</translation>
    </message>
    <message>
        <source>Kalibrační křivka numůže obsahovat dva shodné body.</source>
        <translation>The calibration curve cannot contain two identical points.</translation>
    </message>
    <message>
        <source>Kalibrační křivka musí mít alespoň dva body.</source>
        <translation>The calibration curve must have at least two points.</translation>
    </message>
    <message>
        <source>Kalibrační křivka musí mít jméno (popis).</source>
        <translation>The calibration curve must have a name (description).</translation>
    </message>
    <message>
        <source>Kalibrační křivka může obsahovat maximálně 9 bodu, nelze přidat další bod.</source>
        <translation>The calibration curve can hold at most 9 points; no further point can be added.</translation>
    </message>
    <message>
        <source>Nejprve označte bod křivky, který se má vymazat !</source>
        <translation>First select the point of the curve to delete !</translation>
    </message>
    <message>
        <source>Do you really want to create new calibration data ?</source>
        <translation>Do you really want to create new calibration data ?</translation>
    </message>
    <message>
        <source>The data will be saved after &apos;Save&apos; button had been pressed</source>
        <translation>The data will be saved when the &apos;Save&apos; button is pressed</translation>
    </message>
    <message>
        <source>Kalibrační data nemohou být zapsána do snímače, protože neobsahuje vniřní paměť dat (eKey).</source>
        <translation>The calibration data cannot be written to the sensor because it has no internal data memory (eKey).</translation>
    </message>
    <message>
        <source>Chcete opravdu zapsat kalibrační data do snímače ?</source>
        <translation>Do you really want to write the calibration data to the sensor ?</translation>
    </message>
    <message>
        <source>Calibation data cannot be prepared to save.</source>
        <translation>The calibration data cannot be prepared for saving.</translation>
    </message>
    <message>
        <source>Calibration data WERE NOT saved to calibration file.</source>
        <translation>Calibration data WERE NOT saved to the calibration file.</translation>
    </message>
    <message>
        <source>Save calibration data to file</source>
        <translation>Save calibration data to file</translation>
    </message>
    <message>
        <source>Calibration files (*.CLB)|*.CLB</source>
        <translation>Calibration files (*.CLB)|*.CLB</translation>
    </message>
    <message>
        <source>Write data to file failed. <byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>Writing the data to the file failed. <byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Open calibration file</source>
        <translation>Open calibration file</translation>
    </message>
    <message>
        <source>Calibration files (*.CLB)|*.CLB|All files (*.*)|*.*</source>
        <translation>Calibration files (*.CLB)|*.CLB|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>Kalibrační soubor nelze přečíst: %1<byte value="xd"/>
%2</source>
        <translation>The calibration file cannot be read: %1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>[%1] ani %2</source>
        <translation>[%1] or %2</translation>
    </message>
    <message>
        <source>V kalibračním souboru %1 není skupina %2.</source>
        <translation>Calibration file %1 has no group %2.</translation>
    </message>
    <message>
        <source>Kalibrační soubor %1 nelze načíst, skupina [%2]:<byte value="xd"/>
%3</source>
        <translation>Calibration file %1 cannot be loaded, group [%2]:<byte value="xd"/>
%3</translation>
    </message>
    <message>
        <source>Kalibraci nelze načíst ze snímače (blok %1): %2 [ERR:%3]</source>
        <translation>The calibration cannot be read from the sensor (block %1): %2 [ERR:%3]</translation>
    </message>
    <message>
        <source>Blok %1 neobsahuje kalibrační data: %2 [ERR:%3]</source>
        <translation>Block %1 holds no calibration data: %2 [ERR:%3]</translation>
    </message>
    <message>
        <source>Uložit kalibrační list</source>
        <translation>Save calibration certificate</translation>
    </message>
    <message>
        <source>Kalibrační list PDF (*.pdf)|*.pdf</source>
        <translation>Calibration certificate PDF (*.pdf)|*.pdf</translation>
    </message>
    <message>
        <source>Kalibrační list nelze uložit do souboru %1<byte value="xd"/>
%2</source>
        <translation>The calibration certificate cannot be saved to file %1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Kalibrační list byl uložen do souborů<byte value="xd"/>
%1<byte value="xd"/>
%2</source>
        <translation>The calibration certificate was saved to the files<byte value="xd"/>
%1<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>Položka %1 není číslo: %2.</source>
        <translation>Item %1 is not a number: %2.</translation>
    </message>
    <message>
        <source>Položka %1 musí být celé číslo od %2 do %3: %4.</source>
        <translation>Item %1 must be a whole number from %2 to %3: %4.</translation>
    </message>
    <message>
        <source>Chybí položka %1.</source>
        <translation>Item %1 is missing.</translation>
    </message>
    <message>
        <source>Položka %1 = %2: kalibrační křivka může mít 2 až %3 bodů.</source>
        <translation>Item %1 = %2: a calibration curve can have 2 to %3 points.</translation>
    </message>
    <message>
        <source>Položka %1 = %2 opakuje položku %3.</source>
        <translation>Item %1 = %2 repeats item %3.</translation>
    </message>
    <message>
        <source>Největší odchylka od %1: %2 %3 = %4 % rozsahu (bod %5)</source>
        <translation>Largest deviation from %1: %2 %3 = %4 % of the range (point %5)</translation>
    </message>
    <message>
        <source>Největší odchylka od %1: %2 = %3 % rozsahu (bod %4)</source>
        <translation>Largest deviation from %1: %2 = %3 % of the range (point %4)</translation>
    </message>
    <message>
        <source>přímky krajních bodů</source>
        <translation>the end-point line</translation>
    </message>
    <message>
        <source>přímky nejmenších čtverců</source>
        <translation>the least-squares line</translation>
    </message>
    <message>
        <source>Bod</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>Hodnota</source>
        <translation>Value</translation>
    </message>
    <message>
        <source>Hodnota [%1]</source>
        <translation>Value [%1]</translation>
    </message>
    <message>
        <source>Odchylka od přímky krajních bodů</source>
        <translation>Deviation from the end-point line</translation>
    </message>
    <message>
        <source>Odchylka od přímky krajních bodů [%1]</source>
        <translation>Deviation from the end-point line [%1]</translation>
    </message>
    <message>
        <source>Odchylka od přímky nejmenších čtverců</source>
        <translation>Deviation from the least-squares line</translation>
    </message>
    <message>
        <source>Odchylka od přímky nejmenších čtverců [%1]</source>
        <translation>Deviation from the least-squares line [%1]</translation>
    </message>
    <message>
        <source>[% rozsahu]</source>
        <translation>[% of range]</translation>
    </message>
    <message>
        <source>převodník byl načten znovu a jeho vstupy jsou popsány jinak než v hlavičce záznamu</source>
        <translation>the converter was read again and its inputs are described differently from the log&apos;s header</translation>
    </message>
    <message>
        <source>soubor nebo jeho složka již neexistuje</source>
        <translation>the file or its folder no longer exists</translation>
    </message>
    <message>
        <source>Vstup%1&gt; Internal: %2  [%3]</source>
        <translation>Input%1&gt; Internal: %2  [%3]</translation>
    </message>
    <message>
        <source>Výběr souboru s obsahem pro eeprom</source>
        <translation>Choose the file with the EEPROM contents</translation>
    </message>
    <message>
        <source>Soubory  (*.eep)|*.eep|Všechny |*.*</source>
        <translation>Files  (*.eep)|*.eep|All |*.*</translation>
    </message>
    <message>
        <source>Uložit obsah EEPROM do souboru</source>
        <translation>Save the EEPROM contents to a file</translation>
    </message>
    <message>
        <source>Komunikační port uzavřen.</source>
        <translation>Communication port closed.</translation>
    </message>
    <message>
        <source>Komunikační port otevřen</source>
        <translation>Communication port open</translation>
    </message>
    <message>
        <source>Nelze otevřít komunikační port</source>
        <translation>Cannot open the communication port</translation>
    </message>
    <message>
        <source>Komunikační port byl uzavřen: %1</source>
        <translation>The communication port was closed: %1</translation>
    </message>
    <message>
        <source>Po odpojení převodníku znovu připojit</source>
        <translation>Reconnect after the converter is unplugged</translation>
    </message>
    <message>
        <source>Když se komunikační port ztratí (odpojený USB převodník), program čeká, až se vrátí, otevře ho znovu a zopakuje poslední načtení.</source>
        <translation>When the communication port is lost (a USB adapter unplugged), the program waits for it to come back, opens it again and repeats the last reading.</translation>
    </message>
    <message>
        <source>Čekám na návrat portu %1 (%2) ...</source>
        <translation>Waiting for port %1 (%2) to come back ...</translation>
    </message>
    <message>
        <source>Převodník se znovu připojil, načítám ...</source>
        <translation>The converter is back, reading ...</translation>
    </message>
    <message>
        <source>Převodník se znovu připojil (%1), měření běží.</source>
        <translation>The converter is back (%1), measuring.</translation>
    </message>
    <message>
        <source>Převodník se znovu připojil (%1).</source>
        <translation>The converter is back (%1).</translation>
    </message>
    <message>
        <source>Port %1 smí používat jen členové skupiny „%2“: přidejte uživatele %3 do skupiny (sudo usermod -aG %2 %3) a přihlaste se znovu.</source>
        <translation>Only members of group “%2” may use port %1: add user %3 to the group (sudo usermod -aG %2 %3) and log in again.</translation>
    </message>
    <message>
        <source>Uživatel %1 už je ve skupině „%2“, ale program byl spuštěn dřív: odhlaste se a přihlaste znovu.</source>
        <translation>User %1 is in group “%2” already, but the program was started before that: log out and log in again.</translation>
    </message>
    <message>
        <source>Uživatel %3 nemá k portu %1 přístup (vlastník %4, skupina „%2“, práva %5).</source>
        <translation>User %3 has no access to port %1 (owner %4, group “%2”, permissions %5).</translation>
    </message>
    <message>
        <source>Uložit graf jako obrázek</source>
        <translation>Save the chart as a picture</translation>
    </message>
    <message>
        <source>Obrázek PNG (*.png)|*.png</source>
        <translation>PNG picture (*.png)|*.png</translation>
    </message>
    <message>
        <source>Uložit zobrazená data</source>
        <translation>Save the data shown</translation>
    </message>
    <message>
        <source>CSV, oddělovač čárka, desetinná tečka (*.csv)|*.csv|CSV, oddělovač středník, desetinná čárka (*.csv)|*.csv</source>
        <translation>CSV, comma separator, decimal point (*.csv)|*.csv|CSV, semicolon separator, decimal comma (*.csv)|*.csv</translation>
    </message>
    <message>
        <source>Obrázek nelze uložit do souboru %1</source>
        <translation>The picture cannot be saved to file %1</translation>
    </message>
    <message>
        <source>Soubor nelze uložit: %1</source>
        <translation>The file cannot be saved: %1</translation>
    </message>
    <message>
        <source>Uložit komunikaci do souboru</source>
        <translation>Save the communication to a file</translation>
    </message>
    <message>
        <source>Text (*.txt)|*.txt|Všechny |*.*</source>
        <translation>Text (*.txt)|*.txt|All |*.*</translation>
    </message>
    <message>
        <source>Záznam do souboru</source>
        <translation>Log to a file</translation>
    </message>
    <message>
        <source>Záznam lze začít až po načtení převodníku (Načíst).</source>
        <translation>Logging can start only after the converter has been read (Read).</translation>
    </message>
    <message>
        <source>Záznam do souboru %1 nelze začít: %2</source>
        <translation>Logging to file %1 cannot start: %2</translation>
    </message>
    <message>
        <source>Záznam do souboru %1 byl ukončen: %2. Zapsáno řádků: %3.</source>
        <translation>Logging to file %1 was stopped: %2. Rows written: %3.</translation>
    </message>
    <message>
        <source>Strmost nelze určit: živá hodnota vstupu se rovná nule (Q). Nic nebylo zapsáno.</source>
        <translation>The slope cannot be found: the live value of the input equals the zero (Q). Nothing was written.</translation>
    </message>
    <message>
        <source>Hodnota je nejistá: %1</source>
        <translation>The value is uncertain: %1</translation>
    </message>
    <message>
        <source>převodník neodpověděl, zobrazená hodnota jen stojí na jejím místě.</source>
        <translation>the converter did not answer; the value shown only holds its place.</translation>
    </message>
    <message>
        <source>odpověď převodníku obsahovala znak, který v ní nemůže být.</source>
        <translation>the converter&apos;s answer held a character it cannot hold.</translation>
    </message>
    <message>
        <source>odpověď převodníku neskončila tam, kde měla (mohou to být kusy dvou odpovědí).</source>
        <translation>the converter&apos;s answer did not end where it should (it may be pieces of two answers).</translation>
    </message>
    <message>
        <source>na lince čekaly znaky, o které se nikdo nežádal.</source>
        <translation>characters nobody asked for were waiting on the line.</translation>
    </message>
    <message>
        <source>může to být opožděná odpověď na jiný, dřívější dotaz.</source>
        <translation>it may be the late answer to another, earlier request.</translation>
    </message>
    <message>
        <source>vychází z jiné nejisté hodnoty (masky eKey).</source>
        <translation>it rests on another uncertain value (the eKey mask).</translation>
    </message>
    <message>
        <source>Zápis do paměti převodníku se nepodařil: na adrese %1 je %2h, zapsáno bylo %3h.</source>
        <translation>Writing the converter&apos;s memory failed: address %1 holds %2h, %3h was written.</translation>
    </message>
    <message>
        <source>Zápis do paměti převodníku nelze ověřit: adresu %1 se nepodařilo spolehlivě přečíst zpět.</source>
        <translation>The write to the converter&apos;s memory cannot be verified: address %1 could not be read back reliably.</translation>
    </message>
    <message>
        <source>Zápis bloku %1 nelze ověřit: blok se nepodařilo spolehlivě přečíst zpět.</source>
        <translation>The write of block %1 cannot be verified: the block could not be read back reliably.</translation>
    </message>
    <message>
        <source>Ověření EEPROM %1/%2 ... %3%</source>
        <translation>Verifying EEPROM %1/%2 ... %3%</translation>
    </message>
    <message>
        <source>Zpětným čtením ověřeno: převodník drží všechny zapsané bajty.</source>
        <translation>Verified by reading back: the converter holds every byte written.</translation>
    </message>
    <message>
        <source>Adresy s nejistou odpovědí převodníku: %1 (první %2), v souboru chybí.</source>
        <translation>Addresses with an uncertain answer from the converter: %1 (the first %2); they are missing from the file.</translation>
    </message>
    <message>
        <source>Plán nelze přečíst: není to JSON.</source>
        <translation>The plan cannot be read: it is not JSON.</translation>
    </message>
    <message>
        <source>Plán: „%1“ chybí nebo nemá správný typ.</source>
        <translation>Plan: “%1” is missing or has the wrong type.</translation>
    </message>
    <message>
        <source>Plán: vstup musí být 1 až 4.</source>
        <translation>Plan: the input must be 1 to 4.</translation>
    </message>
    <message>
        <source>Plán: zatížení musí být nejméně dvě, každé větší než nula a větší než předchozí.</source>
        <translation>Plan: there must be at least two loads, each above zero and above the one before.</translation>
    </message>
    <message>
        <source>Plán: počet předzatížení nesmí být záporný.</source>
        <translation>Plan: the number of preloads cannot be negative.</translation>
    </message>
    <message>
        <source>Plán: chybí série.</source>
        <translation>Plan: there are no series.</translation>
    </message>
    <message>
        <source>Plán: směr série %1 musí být „up“ nebo „down“.</source>
        <translation>Plan: the direction of series %1 must be “up” or “down”.</translation>
    </message>
    <message>
        <source>Plán: pásmo stability musí být větší než nula a doba nesmí být záporná.</source>
        <translation>Plan: the stability band must be above zero and its time cannot be negative.</translation>
    </message>
    <message>
        <source>Řádek %1: %2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>záhlaví musí být „%1“.</source>
        <translation>the header must be “%1”.</translation>
    </message>
    <message>
        <source>očekáváno 7 polí oddělených čárkou, je jich %1.</source>
        <translation>expected 7 fields separated by commas, found %1.</translation>
    </message>
    <message>
        <source>„%1“ není číslo série (1, 2, ...).</source>
        <translation>“%1” is not a series number (1, 2, ...).</translation>
    </message>
    <message>
        <source>„%1“ není číslo.</source>
        <translation>“%1” is not a number.</translation>
    </message>
    <message>
        <source>směr musí být „up“ nebo „down“, ne „%1“.</source>
        <translation>the direction must be “up” or “down”, not “%1”.</translation>
    </message>
    <message>
        <source>druh musí být „zero-before“, „load“ nebo „zero-after“, ne „%1“.</source>
        <translation>the kind must be “zero-before”, “load” or “zero-after”, not “%1”.</translation>
    </message>
    <message>
        <source>série %1 nenavazuje na předchozí řádky.</source>
        <translation>series %1 does not follow on from the lines before.</translation>
    </message>
    <message>
        <source>Soubor %1 nelze otevřít pro zápis: %2</source>
        <translation>The file %1 cannot be opened for writing: %2</translation>
    </message>
    <message>
        <source>Do souboru %1 nelze zapsat: %2</source>
        <translation>The file %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>Tabulku tříd nelze přečíst: není to JSON.</source>
        <translation>The class table cannot be read: it is not JSON.</translation>
    </message>
    <message>
        <source>Tabulka tříd, řádek 1: záhlaví musí být „%1“.</source>
        <translation>Class table, line 1: the header must be “%1”.</translation>
    </message>
    <message>
        <source>Tabulka tříd, položka %1: očekáván název třídy a pět mezí (nezáporná čísla).</source>
        <translation>Class table, entry %1: expected a class name and five limits (numbers not below zero).</translation>
    </message>
    <message>
        <source>Tabulka tříd, řádek %1: očekáván název třídy a pět mezí (nezáporná čísla).</source>
        <translation>Class table, line %1: expected a class name and five limits (numbers not below zero).</translation>
    </message>
    <message>
        <source>Soubor je označen jako UTF-8, ale řádek %1 není platný text UTF-8.</source>
        <translation>The file is marked as UTF-8, but line %1 is not valid UTF-8 text.</translation>
    </message>
    <message>
        <source>Soubor není v UTF-8 ani ve Windows-1250: řádek %1 obsahuje bajt %2, který Windows-1250 nezná.</source>
        <translation>The file is neither UTF-8 nor Windows-1250: line %1 holds the byte %2, which Windows-1250 does not define.</translation>
    </message>
    <message>
        <source>Znak „%1“ (%2) nelze uložit do eKey: kódová stránka snímače (Windows-1250) ho neobsahuje.</source>
        <translation>The character “%1” (%2) cannot be stored in the eKey: the sensor&apos;s code page (Windows-1250) does not contain it.</translation>
    </message>
    <message>
        <source>%1: hodnotu %2 nelze použít, přípustné jsou hodnoty %3.</source>
        <translation>%1: the value %2 cannot be used, accepted values are %3.</translation>
    </message>
    <message>
        <source>%1 až %2</source>
        <translation>%1 to %2</translation>
    </message>
    <message>
        <source>0 nebo %1 ≤ |x| ≤ %2</source>
        <translation>0 or %1 ≤ |x| ≤ %2</translation>
    </message>
    <message>
        <source>RRMMDD (skutečné datum)</source>
        <translation>YYMMDD (a date that exists)</translation>
    </message>
    <message>
        <source>Nic nebylo zapsáno.</source>
        <translation>Nothing was written.</translation>
    </message>
    <message>
        <source>Zadaná hodnota mV/V</source>
        <translation>The mV/V entered</translation>
    </message>
    <message>
        <source>Strmost K vstupu %1</source>
        <translation>Slope K of input %1</translation>
    </message>
    <message>
        <source>Vstup %1 je od nuly (Q) vzdálen jen %2 dílků: strmost by byla K = %3. Opravdu ji zapsat?</source>
        <translation>Input %1 is only %2 divisions away from its zero (Q): the slope would be K = %3. Write it all the same?</translation>
    </message>
    <message>
        <source>Limit vstupu %1</source>
        <translation>Limit of input %1</translation>
    </message>
    <message>
        <source>Nic nebylo odesláno, převodník se nerestartuje.</source>
        <translation>Nothing was sent; the converter is not restarted.</translation>
    </message>
    <message>
        <source>Položka %1 je mimo rozsah: %2, přípustné jsou hodnoty %3.</source>
        <translation>Item %1 is out of range: %2, accepted values are %3.</translation>
    </message>
    <message>
        <source>Etalon</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>Nejistota [%]</source>
        <translation>Uncertainty [%]</translation>
    </message>
    <message>
        <source>Platnost kalibrace</source>
        <translation>Valid until</translation>
    </message>
    <message>
        <source>Hodnota se nevejde do formátu %1: %2</source>
        <translation>The value does not fit the format %1: %2</translation>
    </message>
    <message>
        <source>Soubor %1 má víc než %2 řádků s hodnotou (paměť převodníku má %3 adres). Do EEPROM nebylo nic zapsáno.</source>
        <translation>File %1 has more than %2 lines with a value (the converter&apos;s memory has %3 locations). Nothing was written to the EEPROM.</translation>
    </message>
    <message>
        <source>Soubor %1 nelze použít jako zálohu eKey: %2</source>
        <translation>File %1 cannot be used as an eKey backup: %2</translation>
    </message>
    <message>
        <source>Obraz v záloze: snímač %1, popis „%2“.</source>
        <translation>Image in the backup: sensor %1, description “%2”.</translation>
    </message>
    <message>
        <source>Obraz v záloze není záznam snímače.</source>
        <translation>The image in the backup is not a sensor record.</translation>
    </message>
    <message>
        <source>Pozor: na vstupu %1 je nyní snímač %2, popis „%3“.</source>
        <translation>Caution: input %1 now holds sensor %2, description “%3”.</translation>
    </message>
    <message>
        <source>není to záloha eKey</source>
        <translation>it is not an eKey backup</translation>
    </message>
    <message>
        <source>řádek %1: %2</source>
        <translation>line %1: %2</translation>
    </message>
    <message>
        <source>adresa musí být celé číslo od 0 do 255: „%1“</source>
        <translation>the address must be a whole number from 0 to 255: “%1”</translation>
    </message>
    <message>
        <source>blok musí být celé číslo od 0 do 255: „%1“</source>
        <translation>the block must be a whole number from 0 to 255: “%1”</translation>
    </message>
    <message>
        <source>chybný čas „%1“</source>
        <translation>bad time “%1”</translation>
    </message>
    <message>
        <source>obraz musí mít 512 šestnáctkových číslic</source>
        <translation>the image must have 512 hexadecimal digits</translation>
    </message>
    <message>
        <source>neznámá položka „%1“</source>
        <translation>unknown key “%1”</translation>
    </message>
    <message>
        <source>položka „%1“ je v souboru podruhé</source>
        <translation>key “%1” occurs in the file a second time</translation>
    </message>
    <message>
        <source>chybí číslo bloku</source>
        <translation>the block number is missing</translation>
    </message>
    <message>
        <source>chybí obraz</source>
        <translation>the image is missing</translation>
    </message>
    <message>
        <source>je to složka, ne soubor</source>
        <translation>it is a folder, not a file</translation>
    </message>
    <message>
        <source>je to pojmenovaná roura (FIFO), ne soubor</source>
        <translation>it is a named pipe (FIFO), not a file</translation>
    </message>
    <message>
        <source>je to zařízení, ne soubor</source>
        <translation>it is a device, not a file</translation>
    </message>
    <message>
        <source>není to obyčejný soubor</source>
        <translation>it is not a regular file</translation>
    </message>
    <message>
        <source>soubor je větší než %1 KiB</source>
        <translation>the file is larger than %1 KiB</translation>
    </message>
    <message>
        <source>%1 (%2) používá jiný program: %3, PID %4</source>
        <translation>%1 (%2) is in use by another program: %3, PID %4</translation>
    </message>
    <message>
        <source>%1 (%2) používá jiný program, PID %3</source>
        <translation>%1 (%2) is in use by another program, PID %3</translation>
    </message>
    <message>
        <source>Port %1 (%2) zůstal zamčený po programu, který už neběží (PID %3): zámek %4 smí odstranit jen jeho vlastník (%5) nebo správce (sudo rm %4).</source>
        <translation>Port %1 (%2) is still locked by a program that no longer runs (PID %3): only the lock&apos;s owner (%5) or an administrator may remove the lock %4 (sudo rm %4).</translation>
    </message>
    <message>
        <source>Tabulka tříd je prázdná.</source>
        <translation>The class table is empty.</translation>
    </message>
    <message>
        <source>maska eKey je nejistá: %1</source>
        <translation>the eKey mask is uncertain: %1</translation>
    </message>
    <message>
        <source>Převodník se do %1 s po restartu neozval: zapsané bloky (%2) nelze ověřit zpětným čtením.</source>
        <translation>The converter did not answer within %1 s of its restart: the blocks written (%2) cannot be verified by reading them back.</translation>
    </message>
    <message>
        <source>Vnitřní kopie vstupu %1 (blok %2) obsahuje zkopírovaný eKey: převodník ho bez eKey použije.</source>
        <translation>The internal copy of input %1 (block %2) holds the copied eKey: the converter will use it without the eKey.</translation>
    </message>
    <message>
        <source>Vnitřní kopie vstupu %1 (blok %2) zkopírovaný eKey neobsahuje: převodník ho bez eKey nepoužije, kopie je jen v bloku %3.</source>
        <translation>The internal copy of input %1 (block %2) does not hold the copied eKey: the converter will not use it without the eKey; the copy is only in block %3.</translation>
    </message>
    <message>
        <source>Blok nebyl přečten: před zápisem se přečte do deníku zápisů.</source>
        <translation>The block was not read: it will be read into the write journal before the write.</translation>
    </message>
    <message>
        <source>Deník zápisů nelze zapsat (%1). Zápis se neprovede, nic nebylo zapsáno.</source>
        <translation>The write journal cannot be written (%1). The write is not made, nothing was written.</translation>
    </message>
    <message>
        <source>Původní obsah bloku %1 se nepodařilo přečíst. Zápis se neprovede, nic nebylo zapsáno.</source>
        <translation>The present content of block %1 could not be read. The write is not made, nothing was written.</translation>
    </message>
    <message>
        <source>Původní obsah adresy paměti %1 se nepodařilo přečíst. Zápis se neprovede, nic nebylo zapsáno.</source>
        <translation>The present content of memory location %1 could not be read. The write is not made, nothing was written.</translation>
    </message>
    <message>
        <source>Původní obsah bloku %1 není znám. Zápis se neprovede, nic nebylo zapsáno.</source>
        <translation>The present content of block %1 is not known. The write is not made, nothing was written.</translation>
    </message>
    <message>
        <source>Původní obsah adresy paměti %1 není znám. Zápis se neprovede, nic nebylo zapsáno.</source>
        <translation>The present content of memory location %1 is not known. The write is not made, nothing was written.</translation>
    </message>
    <message>
        <source>%1 teď může obsahovat směs starých a nových bajtů: %2.</source>
        <translation>%1 may now hold a mix of old and new bytes: %2.</translation>
    </message>
    <message>
        <source>%1 teď mohou obsahovat směs starých a nových bajtů: %2.</source>
        <translation>%1 may now hold a mix of old and new bytes: %2.</translation>
    </message>
    <message>
        <source>zápis se zastavil u bajtu %1</source>
        <translation>the write stopped at byte %1</translation>
    </message>
    <message>
        <source>zápis se nepodařil</source>
        <translation>the write failed</translation>
    </message>
    <message>
        <source>zápis byl přerušen</source>
        <translation>the write was interrupted</translation>
    </message>
    <message>
        <source>zpětné čtení ukázalo jiný obsah, než byl zapsán</source>
        <translation>reading it back showed other content than was written</translation>
    </message>
    <message>
        <source>zápis nebyl dokončen</source>
        <translation>the write was not finished</translation>
    </message>
    <message>
        <source>Zápis je v deníku zápisů pod číslem %1.</source>
        <translation>The write is entry %1 of the write journal.</translation>
    </message>
    <message>
        <source>Zápis je v deníku zápisů pod číslem %1 (%2).</source>
        <translation>The write is entry %1 of the write journal (%2).</translation>
    </message>
    <message>
        <source>„Zopakovat zápis“ zapíše celý nový obsah znovu, „Obnovit původní obsah“ vrátí obsah z doby před zápisem.</source>
        <translation>“Repeat the write” writes the whole new content again, “Restore the previous content” puts back the content from before the write.</translation>
    </message>
    <message>
        <source>Zopakovat zápis</source>
        <translation>Repeat the write</translation>
    </message>
    <message>
        <source>Obnovit původní obsah</source>
        <translation>Restore the previous content</translation>
    </message>
    <message>
        <source>Probíhá zápis do převodníku. Přerušit ho a ukončit program?</source>
        <translation>A write to the converter is in progress. Interrupt it and quit?</translation>
    </message>
    <message>
        <source>Přerušený zápis může v převodníku zanechat směs starého a nového obsahu.</source>
        <translation>An interrupted write may leave a mix of old and new content in the converter.</translation>
    </message>
    <message>
        <source>Blok %1 (%2)</source>
        <translation>Block %1 (%2)</translation>
    </message>
    <message>
        <source>Adresa paměti %1</source>
        <translation>Memory location %1</translation>
    </message>
    <message>
        <source>Adresy paměti %1–%2</source>
        <translation>Memory locations %1–%2</translation>
    </message>
    <message>
        <source>Adresy paměti %1 … %2 (%3 adres)</source>
        <translation>Memory locations %1 … %2 (%3 locations)</translation>
    </message>
    <message>
        <source>nula vstupu</source>
        <translation>input zero</translation>
    </message>
    <message>
        <source>strmost vstupu</source>
        <translation>input span</translation>
    </message>
    <message>
        <source>filtr</source>
        <translation>filter</translation>
    </message>
    <message>
        <source>změna adresy</source>
        <translation>address change</translation>
    </message>
    <message>
        <source>zápis EEPROM ze souboru</source>
        <translation>EEPROM load from a file</translation>
    </message>
    <message>
        <source>uložení kalibrace</source>
        <translation>calibration store</translation>
    </message>
    <message>
        <source>kopie eKey do interní paměti</source>
        <translation>eKey copy to the internal memory</translation>
    </message>
    <message>
        <source>kopie eKey vstupu 1 do vstupu 4</source>
        <translation>copy of input 1&apos;s eKey to input 4</translation>
    </message>
    <message>
        <source>inicializace eKey</source>
        <translation>eKey initialisation</translation>
    </message>
    <message>
        <source>uživatelské limity RMU</source>
        <translation>RMU user limits</translation>
    </message>
    <message>
        <source>obnovení eKey ze zálohy</source>
        <translation>eKey restore from a backup</translation>
    </message>
    <message>
        <source>vrácení zápisu</source>
        <translation>undo of a write</translation>
    </message>
    <message>
        <source>zopakování zápisu</source>
        <translation>repeat of a write</translation>
    </message>
    <message>
        <source>Vrátit zápis č. %1 ?</source>
        <translation>Undo write no. %1?</translation>
    </message>
    <message>
        <source>Zopakovat zápis č. %1 ?</source>
        <translation>Repeat write no. %1?</translation>
    </message>
    <message>
        <source>Zápis: %1, %2</source>
        <translation>Write: %1, %2</translation>
    </message>
    <message>
        <source>Vstup: %1</source>
        <translation>Input: %1</translation>
    </message>
    <message>
        <source>Výsledek zápisu: %1</source>
        <translation>Outcome of the write: %1</translation>
    </message>
    <message>
        <source>zapsán a ověřen čtením</source>
        <translation>written and confirmed by reading</translation>
    </message>
    <message>
        <source>zastavil se u bajtu %1</source>
        <translation>stopped at byte %1</translation>
    </message>
    <message>
        <source>nepodařil se</source>
        <translation>failed</translation>
    </message>
    <message>
        <source>přerušen</source>
        <translation>interrupted</translation>
    </message>
    <message>
        <source>neověřen čtením</source>
        <translation>not confirmed by reading</translation>
    </message>
    <message>
        <source>bez výsledku</source>
        <translation>no outcome</translation>
    </message>
    <message>
        <source>Zapíše se znovu obsah, který tento zápis zapisoval.</source>
        <translation>The content this write meant to write is written again.</translation>
    </message>
    <message>
        <source>Zapíše se zpět obsah z doby před tímto zápisem.</source>
        <translation>The content from before this write is written back.</translation>
    </message>
    <message>
        <source>Pozor: zápis byl do převodníku %1 na adrese %2, připojen je %3 na adrese %4.</source>
        <translation>Caution: the write went to converter %1 at address %2; connected is %3 at address %4.</translation>
    </message>
    <message>
        <source>Pozor: na vstupu %1 je nyní snímač %2, zápis se týkal snímače %3.</source>
        <translation>Caution: input %1 now holds sensor %2; the write concerned sensor %3.</translation>
    </message>
    <message>
        <source>Deník zápisů nelze přečíst (%1).</source>
        <translation>The write journal cannot be read (%1).</translation>
    </message>
    <message>
        <source>V deníku zápisů není žádný zápis, který by šlo vrátit.</source>
        <translation>The write journal holds no write that could be undone.</translation>
    </message>
    <message>
        <source>V deníku zápisů není zápis č. %1.</source>
        <translation>The write journal has no write no. %1.</translation>
    </message>
    <message>
        <source>Chyba zápisu bloku %1 [E:%2]</source>
        <translation>Error writing block %1 [E:%2]</translation>
    </message>
    <message>
        <source>Vracím zápis č. %1 ...</source>
        <translation>Undoing write no. %1 ...</translation>
    </message>
    <message>
        <source>Opakuji zápis č. %1 ...</source>
        <translation>Repeating write no. %1 ...</translation>
    </message>
    <message>
        <source>Zápis č. %1 vrácen a ověřen čtením (záznam č. %2).</source>
        <translation>Write no. %1 undone and confirmed by reading (entry no. %2).</translation>
    </message>
    <message>
        <source>Zápis č. %1 zopakován a ověřen čtením (záznam č. %2).</source>
        <translation>Write no. %1 repeated and confirmed by reading (entry no. %2).</translation>
    </message>
    <message>
        <source>Vstup %1 nemá živou hodnotu: od načtení převodníku nepřišla žádná platná odpověď měření.</source>
        <translation>Input %1 has no live value: no valid measurement answer has come since the converter was read.</translation>
    </message>
    <message>
        <source>Živá hodnota vstupu %1 je nejistá: %2</source>
        <translation>The live value of input %1 is uncertain: %2</translation>
    </message>
    <message>
        <source>Nula (Q) nebo zesílení vstupu %1 je nejisté: %2</source>
        <translation>The zero (Q) or the gain of input %1 is uncertain: %2</translation>
    </message>
    <message>
        <source>zapsaný obsah se nepodařilo ověřit zpětným čtením</source>
        <translation>what was written could not be confirmed by reading it back</translation>
    </message>
    <message>
        <source>čtení ukázalo jiný obsah</source>
        <translation>reading it back showed other content</translation>
    </message>
    <message>
        <source>Do you really want to remove all points of the curve ?</source>
        <translation>Do you really want to remove all points of the curve ?</translation>
    </message>
    <message>
        <source>no calibration file store</source>
        <translation>no calibration file store</translation>
    </message>
    <message>
        <source>no PDF writer</source>
        <translation>no PDF writer</translation>
    </message>
    <message>
        <source>Is a directory</source>
        <translation>Is a directory</translation>
    </message>
    <message>
        <source>The file could not be written</source>
        <translation>The file could not be written</translation>
    </message>
    <message>
        <source>The file is not an INI text file; it was left as it was</source>
        <translation>The file is not an INI text file; it was left as it was</translation>
    </message>
    <message>
        <source>The file is not an INI text file</source>
        <translation>The file is not an INI text file</translation>
    </message>
    <message>
        <source>The PDF could not be started</source>
        <translation>The PDF could not be started</translation>
    </message>
    <message>
        <source>Blok %1</source>
        <translation>Block %1</translation>
    </message>
    <message>
        <source>Datum uložení</source>
        <translation>Date of save</translation>
    </message>
    <message>
        <source>přerušeno (%1)</source>
        <translation>interrupted (%1)</translation>
    </message>
    <message>
        <source>Nelze otevřít komunikační port (%1)</source>
        <translation>Cannot open the communication port (%1)</translation>
    </message>
    <message>
        <source>Simulátor nelze spustit: %1</source>
        <translation>The simulator cannot be started: %1</translation>
    </message>
    <message>
        <source>Zatížení</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Výchylka (mV/V)</source>
        <translation>Deflection (mV/V)</translation>
    </message>
    <message>
        <source>Série</source>
        <translation>Series</translation>
    </message>
    <message>
        <source>Nejhorší:</source>
        <translation>Worst:</translation>
    </message>
    <message>
        <source>Polynom stupně %1:</source>
        <translation>Polynomial of degree %1:</translation>
    </message>
    <message>
        <source>Třída: %1</source>
        <translation>Class: %1</translation>
    </message>
    <message>
        <source>Nelze určit:</source>
        <translation>Cannot be determined:</translation>
    </message>
    <message>
        <source>Připojit</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Spojeno</source>
        <translation>Connected</translation>
    </message>
    <message>
        <source>Komunikační port byl uzavřen.</source>
        <translation>The communication port was closed.</translation>
    </message>
    <message>
        <source>Čekám na návrat portu %1 ...</source>
        <translation>Waiting for port %1 to come back ...</translation>
    </message>
    <message>
        <source>Po opětovném připojení odpovídá jiný převodník nebo jiné snímače, než uvádí záhlaví CSV; sledování končí.</source>
        <translation>After reconnecting, a different converter or different sensors answer than the CSV header names; monitoring ends.</translation>
    </message>
    <message>
        <source>port se zavřel</source>
        <translation>the port closed</translation>
    </message>
    <message>
        <source>převodník přestal odpovídat</source>
        <translation>the converter stopped answering</translation>
    </message>
    <message>
        <source>na adresách %1 až %2 neodpověděl žádný převodník</source>
        <translation>no converter answered at addresses %1 to %2</translation>
    </message>
    <message>
        <source>převodník odpovídá na adrese %1, ne na %2</source>
        <translation>the converter answers at address %1, not %2</translation>
    </message>
    <message>
        <source>převodník neposlal žádné měření</source>
        <translation>the converter sent no measurement</translation>
    </message>
    <message>
        <source>vstup %1 nemá kalibraci, kterou by šlo přečíst (ani v eKey, ani ve vnitřní kopii)</source>
        <translation>input %1 has no calibration that could be read (neither its eKey nor the internal copy)</translation>
    </message>
    <message>
        <source>převodník na adrese %1 není RMU (%2)</source>
        <translation>the converter at address %1 is not an RMU (%2)</translation>
    </message>
    <message>
        <source>ve složce %1 nejsou žádné zálohy</source>
        <translation>no backups in %1</translation>
    </message>
    <message>
        <source>v deníku %1 nejsou žádné zápisy</source>
        <translation>no writes in %1</translation>
    </message>
    <message>
        <source>nečitelné řádky deníku %2: %1</source>
        <translation>%1 line(s) of %2 could not be read</translation>
    </message>
    <message>
        <source>nebylo nalezeno žádné sériové zařízení</source>
        <translation>no serial devices found</translation>
    </message>
    <message>
        <source>Bod s hodnotou etalonu %1 už v tabulce je (signál %2). Nahradit jeho signál novým (%3)? Ne: přidat další bod.</source>
        <translation>The table already has a point at the reference value %1 (signal %2). Replace its signal with the new one (%3)? No: add another point.</translation>
    </message>
    <message>
        <source>Křivka se od otevření editoru změnila a není uložená. Zavřít editor a zahodit ji (bodů: %1)?</source>
        <translation>The curve has changed since the editor opened and is not saved. Close the editor and discard it (%1 points)?</translation>
    </message>
    <message>
        <source>Signál není aktuální: převodník neodpověděl déle než 1,5 s nebo chybí spojení. Bod nelze zachytit, dokud měření znovu neběží.</source>
        <translation>The signal is not current: the converter has not answered for more than 1.5 s, or the line is missing. No point can be captured until the measurement runs again.</translation>
    </message>
    <message>
        <source>Spojení s převodníkem je přerušeno. Body zůstávají v editoru; uložit je do převodníku lze, až se spojení obnoví. Do kalibračního souboru je lze uložit i nyní.</source>
        <translation>The line to the converter is broken. The points stay in the editor; they can be stored in the converter once the line is back. They can be saved to a calibration file now.</translation>
    </message>
    <message>
        <source>Pro tento snímač jsou uloženy neuložené body z předchozí úpravy (bodů: %1, %2). Obnovit je?</source>
        <translation>Unsaved points of an earlier editing of this sensor were kept (points: %1, %2). Restore them?</translation>
    </message>
    <message>
        <source>Příkaz byl přerušen.</source>
        <translation>The command was stopped.</translation>
    </message>
    <message>
        <source>Měření běží</source>
        <translation>Measurement running</translation>
    </message>
    <message>
        <source>Měření běží, poslední odpověď %1</source>
        <translation>Measurement running, last answer %1</translation>
    </message>
    <message>
        <source>Měření zastaveno: probíhá příkaz</source>
        <translation>Measurement stopped: a command is running</translation>
    </message>
    <message>
        <source>Měření zastaveno: port je odpojen</source>
        <translation>Measurement stopped: the port is disconnected</translation>
    </message>
    <message>
        <source>Měření zastaveno: spojení s převodníkem se ztratilo</source>
        <translation>Measurement stopped: the line to the converter was lost</translation>
    </message>
    <message>
        <source>Měření zastaveno: převodník není načten</source>
        <translation>Measurement stopped: no converter read</translation>
    </message>
    <message>
        <source>Měření zastaveno po příkazu „%1“</source>
        <translation>Measurement stopped after the command “%1”</translation>
    </message>
    <message>
        <source>Měření zastaveno</source>
        <translation>Measurement stopped</translation>
    </message>
    <message>
        <source>Spustit měření</source>
        <translation>Start measurement</translation>
    </message>
    <message>
        <source>Přerušit</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Hodnota není aktuální: poslední odpověď převodníku %1.</source>
        <translation>The value is not current: the converter last answered at %1.</translation>
    </message>
    <message>
        <source>Hodnota není aktuální: převodník od načtení neodpověděl.</source>
        <translation>The value is not current: the converter has not answered since it was read.</translation>
    </message>
    <message>
        <source>Komunikační port není otevřen, příkaz se neprovede a nic nebylo odesláno. Otevřete port tlačítkem „%1“.</source>
        <translation>The serial port is not open: the command is not run and nothing was sent. Open the port with “%1”.</translation>
    </message>
    <message>
        <source>Zapsáno a ověřeno: %1, %2 (%3)</source>
        <translation>Written and verified: %1, %2 (%3)</translation>
    </message>
    <message>
        <source>Zapsáno, ale neověřeno: %1, %2 (%3)</source>
        <translation>Written but not verified: %1, %2 (%3)</translation>
    </message>
    <message>
        <source>Zapsáno, ale zpětné čtení se liší: %1, %2 (%3)</source>
        <translation>Written, but the read-back differs: %1, %2 (%3)</translation>
    </message>
    <message>
        <source>Zápis nedokončen: %1, %2 (%3)</source>
        <translation>Write not completed: %1, %2 (%3)</translation>
    </message>
    <message>
        <source>%1 %2</source>
        <translation>%1 %2</translation>
    </message>
    <message>
        <source>Hodnoty nejsou aktuální: převodník neodpovídá nebo měření neběží</source>
        <translation>The values are not current: the converter does not answer or the measurement is not running</translation>
    </message>
    <message>
        <source>Netto: tára %1 odečtena</source>
        <translation>Net: tare %1 subtracted</translation>
    </message>
    <message>
        <source>tára vstupu se změnila a hodnoty by již neodpovídaly hlavičce záznamu</source>
        <translation>an input&apos;s tare changed and the values would no longer match the log&apos;s header</translation>
    </message>
    <message>
        <source>Měření zastaveno: probíhá příkaz „%1“</source>
        <translation>Measurement stopped: the command “%1” is running</translation>
    </message>
    <message>
        <source>Ano</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>Ne</source>
        <translation>No</translation>
    </message>
    <message>
        <source>Zavřít</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Zrušit</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Zapisuji: %1, %2 …</source>
        <translation>Writing: %1, %2 …</translation>
    </message>
    <message>
        <source>Přepíše se vnitřní kopie vstupu %1; zkopíruje se do ní eKey snímače %2 „%3“.</source>
        <translation>The internal copy of input %1 is overwritten with the eKey of sensor %2 “%3”.</translation>
    </message>
    <message>
        <source>Přepíše se eKey na vstupu 4 (snímač %1 „%2“) obrazem eKey na vstupu 1 (snímač %3 „%4“).</source>
        <translation>The eKey on input 4 (sensor %1 “%2”) is overwritten with the image of the eKey on input 1 (sensor %3 “%4”).</translation>
    </message>
    <message>
        <source>Přepíší se tyto eKey (kalibrace se v nich ztratí):</source>
        <translation>These eKeys are overwritten (their calibration is lost):</translation>
    </message>
    <message>
        <source>– vstup %1: snímač %2</source>
        <translation>– input %1: sensor %2</translation>
    </message>
    <message>
        <source>Není připojen žádný eKey: nic se nepřepíše.</source>
        <translation>No eKey is plugged in: nothing is overwritten.</translation>
    </message>
    <message>
        <source>Dosavadní obsah se před zápisem uloží do deníku zápisů; zápis lze vrátit příkazem „Vrátit poslední zápis …“ (r27ctl undo).</source>
        <translation>The present content goes to the write journal before the write; the write can be undone with “Undo the last write …” (r27ctl undo).</translation>
    </message>
    <message>
        <source>(nalezeno: %1)</source>
        <translation>(found: %1)</translation>
    </message>
    <message>
        <source>Pořízena</source>
        <translation>Taken</translation>
    </message>
    <message>
        <source>Blok</source>
        <translation>Block</translation>
    </message>
    <message>
        <source>Vstup</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>Snímač</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>Popis</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Jiný soubor …</source>
        <translation>Another file …</translation>
    </message>
    <message>
        <source>Vybrat</source>
        <translation>Choose</translation>
    </message>
    <message>
        <source>Uložit kalibraci do souboru BIN</source>
        <translation>Save the calibration to a BIN file</translation>
    </message>
    <message>
        <source>Obnovit kalibraci ze souboru BIN</source>
        <translation>Restore the calibration from a BIN file</translation>
    </message>
    <message>
        <source>Obraz bloku (*.bin)|*.bin|Všechny |*.*</source>
        <translation>Block image (*.bin)|*.bin|All |*.*</translation>
    </message>
    <message>
        <source>Blok vstupu %1 nebyl z připojeného převodníku přečten, není co uložit. Načtěte převodník (Načíst).</source>
        <translation>Input %1&apos;s block was not read from the connected converter: there is nothing to save. Read the converter (Read).</translation>
    </message>
    <message>
        <source>Vstup %1 nebyl načten, není známo, do kterého bloku obraz zapsat. Načtěte převodník (Načíst).</source>
        <translation>Input %1 was not read: the block to write the image to is not known. Read the converter (Read).</translation>
    </message>
    <message>
        <source>Blok %1 (%2) uložen do souboru %3.</source>
        <translation>Block %1 (%2) saved to the file %3.</translation>
    </message>
    <message>
        <source>Soubor %1 nelze použít jako obraz bloku: %2</source>
        <translation>The file %1 cannot be used as a block image: %2</translation>
    </message>
    <message>
        <source>obraz bloku má přesně 256 bajtů, soubor jich má %1</source>
        <translation>a block image has exactly 256 bytes, the file has %1</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Simulátor nelze spustit: %1</source>
        <translation>The simulator cannot be started: %1</translation>
    </message>
</context>
<context>
    <name>rm27::FrmAbout</name>
    <message>
        <source>O aplikaci </source>
        <translation>About </translation>
    </message>
    <message>
        <source>Verze </source>
        <translation>Version </translation>
    </message>
    <message>
        <source>Systémové informace ...</source>
        <translation>System information ...</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Qt: %1 (sestaveno s %2)</source>
        <translation>Qt: %1 (built with %2)</translation>
    </message>
    <message>
        <source>Operační systém: %1</source>
        <translation>Operating system: %1</translation>
    </message>
    <message>
        <source>Jádro: %1 %2, %3</source>
        <translation>Kernel: %1 %2, %3</translation>
    </message>
    <message>
        <source>Sériová zařízení: %1</source>
        <translation>Serial devices: %1</translation>
    </message>
    <message>
        <source>Systémové informace</source>
        <translation>System information</translation>
    </message>
</context>
<context>
    <name>rm27::FrmChart</name>
    <message>
        <source>Graf vstupů</source>
        <translation>Input chart</translation>
    </message>
    <message>
        <source>Veličina (v jednotkách)</source>
        <translation>Quantity (in units)</translation>
    </message>
    <message>
        <source>Vstup [mV/V]</source>
        <translation>Input [mV/V]</translation>
    </message>
    <message>
        <source>Dílky (DIV)</source>
        <translation>Divisions (DIV)</translation>
    </message>
    <message>
        <source>1 min</source>
        <translation>1 min</translation>
    </message>
    <message>
        <source>5 min</source>
        <translation>5 min</translation>
    </message>
    <message>
        <source>30 min</source>
        <translation>30 min</translation>
    </message>
    <message>
        <source>Automatické měřítko</source>
        <translation>Automatic scale</translation>
    </message>
    <message>
        <source>Pozastavit</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>PNG ...</source>
        <translation>PNG ...</translation>
    </message>
    <message>
        <source>Uložit graf jako obrázek</source>
        <translation>Save the chart as a picture</translation>
    </message>
    <message>
        <source>CSV ...</source>
        <translation>CSV ...</translation>
    </message>
    <message>
        <source>Uložit zobrazená data do souboru CSV</source>
        <translation>Save the data shown to a CSV file</translation>
    </message>
    <message>
        <source>Klepnutím postavíte kurzor, dvojklikem jej zrušíte</source>
        <translation>Click to place the cursor, double-click to remove it</translation>
    </message>
    <message>
        <source>Zobrazit:</source>
        <translation>Show:</translation>
    </message>
    <message>
        <source>Úsek:</source>
        <translation>Span:</translation>
    </message>
    <message>
        <source>mV/V</source>
        <translation>mV/V</translation>
    </message>
    <message>
        <source>DIV</source>
        <translation>DIV</translation>
    </message>
    <message>
        <source>Vstup %1</source>
        <translation>Input %1</translation>
    </message>
    <message>
        <source>Pokračovat</source>
        <translation>Resume</translation>
    </message>
    <message>
        <source>Kurzor: klepněte do grafu</source>
        <translation>Cursor: click in the chart</translation>
    </message>
    <message>
        <source>Kurzor %1</source>
        <translation>Cursor %1</translation>
    </message>
    <message>
        <source>od</source>
        <translation>from</translation>
    </message>
    <message>
        <source>do</source>
        <translation>to</translation>
    </message>
    <message>
        <source>NET</source>
        <translation>NET</translation>
    </message>
    <message>
        <source>Hodnota „od“ musí být menší než „do“.</source>
        <translation>The value “from” must be less than “to”.</translation>
    </message>
    <message>
        <source>Pozastaveno</source>
        <translation>Paused</translation>
    </message>
    <message>
        <source>Převodník %1, adresa %2</source>
        <translation>Converter %1, address %2</translation>
    </message>
    <message>
        <source>Vstupy: %1</source>
        <translation>Inputs: %1</translation>
    </message>
    <message>
        <source>Úsek: %1</source>
        <translation>Span: %1</translation>
    </message>
</context>
<context>
    <name>rm27::FrmLinearity</name>
    <message>
        <source>Linearita kalibrační křivky</source>
        <translation>Linearity of the calibration curve</translation>
    </message>
    <message>
        <source>Křivka</source>
        <translation>Curve</translation>
    </message>
    <message>
        <source>Přímka krajních bodů</source>
        <translation>End-point line</translation>
    </message>
    <message>
        <source>Body</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>Živý signál</source>
        <translation>Live signal</translation>
    </message>
    <message>
        <source>Linearitu nelze určit: křivka potřebuje alespoň dva body s různým signálem.</source>
        <translation>The linearity cannot be found: the curve needs at least two points with different signals.</translation>
    </message>
    <message>
        <source>Živý signál: %1 → %2</source>
        <translation>Live signal: %1 → %2</translation>
    </message>
</context>
<context>
    <name>rm27::FrmMain</name>
    <message>
        <source>0-Default</source>
        <translation>0-Default</translation>
    </message>
    <message>
        <source>Spojení / Informace o jednotce</source>
        <translation>Connection / Unit information</translation>
    </message>
    <message>
        <source>Spojit</source>
        <translation>Connect</translation>
    </message>
    <message>
        <source>Hledat</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>Vyhledat sériové porty, které lze otevřít</source>
        <translation>Find the serial ports that can be opened</translation>
    </message>
    <message>
        <source>Načíst</source>
        <translation>Read</translation>
    </message>
    <message>
        <source>Vyhledat jednotky na všech adresách</source>
        <translation>Find units at every address</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Restart převodníku (s novým obsahem Eeprom)</source>
        <translation>Restart the converter (with the new EEPROM contents)</translation>
    </message>
    <message>
        <source>Adr. change</source>
        <translation>Adr. change</translation>
    </message>
    <message>
        <source>Sériový port</source>
        <translation>Serial port</translation>
    </message>
    <message>
        <source>Adresa jednotky (0=univerzální)</source>
        <translation>Unit address (0=universal)</translation>
    </message>
    <message>
        <source>Identifikace připojené jednotky</source>
        <translation>Connected unit&apos;s identification</translation>
    </message>
    <message>
        <source>Curves</source>
        <translation>Curves</translation>
    </message>
    <message>
        <source>Hodnoty vstupů jednotky</source>
        <translation>Values of the unit&apos;s inputs</translation>
    </message>
    <message>
        <source>ID</source>
        <translation>ID</translation>
    </message>
    <message>
        <source>Popis</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Vstup [mV/V]</source>
        <translation>Input [mV/V]</translation>
    </message>
    <message>
        <source>Veličina</source>
        <translation>Quantity</translation>
    </message>
    <message>
        <source>Jednotka</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>Info</translation>
    </message>
    <message>
        <source>Údaj převodníku (v dílcích)</source>
        <translation>The converter&apos;s reading (in divisions)</translation>
    </message>
    <message>
        <source>Změnit</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>DIV</source>
        <translation>DIV</translation>
    </message>
    <message>
        <source>Freq</source>
        <translation>Freq</translation>
    </message>
    <message>
        <source>COPY Ext-&gt;Int</source>
        <translation>COPY Ext-&gt;Int</translation>
    </message>
    <message>
        <source>Zápis</source>
        <translation>Write</translation>
    </message>
    <message>
        <source>Aplikace</source>
        <translation>Application</translation>
    </message>
    <message>
        <source>O aplikaci ...</source>
        <translation>About ...</translation>
    </message>
    <message>
        <source>Ukončit / Zavřít</source>
        <translation>Quit / Close</translation>
    </message>
    <message>
        <source>RM-27</source>
        <translation>RM-27</translation>
    </message>
    <message>
        <source>Uložit obsah EEPROM do souboru ...</source>
        <translation>Save the EEPROM contents to a file ...</translation>
    </message>
    <message>
        <source>Zapsat EEPROM ze souboru ...</source>
        <translation>Write the EEPROM from a file ...</translation>
    </message>
    <message>
        <source>Inicializovat eKey pro R-27</source>
        <translation>Initialize eKey for R-27</translation>
    </message>
    <message>
        <source>Inicializovat eKey pro DAVRO</source>
        <translation>Initialize eKey for DAVRO</translation>
    </message>
    <message>
        <source>Copy ekey Vstup1 - &gt; Vstup 4</source>
        <translation>Copy ekey input 1 -&gt; input 4</translation>
    </message>
    <message>
        <source>Obnovit eKey ze zálohy ...</source>
        <translation>Restore eKey from backup ...</translation>
    </message>
    <message>
        <source>Uložit kalibraci do souboru BIN</source>
        <translation>Save the calibration to a BIN file</translation>
    </message>
    <message>
        <source>RMU</source>
        <translation>RMU</translation>
    </message>
    <message>
        <source>Uživatelská nastavení</source>
        <translation>User settings</translation>
    </message>
    <message>
        <source>Zobrazit</source>
        <translation>View</translation>
    </message>
    <message>
        <source>Graf vstupů</source>
        <translation>Input chart</translation>
    </message>
    <message>
        <source>Komunikace</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>Záznam do souboru ...</source>
        <translation>Log to a file ...</translation>
    </message>
    <message>
        <source>Ukončit záznam</source>
        <translation>Stop logging</translation>
    </message>
    <message>
        <source>Vrátit poslední zápis …</source>
        <translation>Undo the last write …</translation>
    </message>
    <message>
        <source>Spustit měření</source>
        <translation>Start measurement</translation>
    </message>
    <message>
        <source>NET</source>
        <translation>NET</translation>
    </message>
    <message>
        <source>Zrušit táru</source>
        <translation>Clear tare</translation>
    </message>
    <message>
        <source>(bez zařízení)</source>
        <translation>(no device)</translation>
    </message>
    <message>
        <source>Za tímto číslem nestojí žádné sériové zařízení</source>
        <translation>No serial device stands behind this number</translation>
    </message>
    <message>
        <source>Jednotky nalezené tlačítkem „Hledat“; dvojklik nebo Enter vybere adresu a jednotku načte</source>
        <translation>Converters found by “Find”; a double click or Enter selects the address and reads the converter</translation>
    </message>
    <message>
        <source>Obnovit kalibraci ze souboru BIN …</source>
        <translation>Restore the calibration from a BIN file …</translation>
    </message>
</context>
<context>
    <name>rm27::FrmQELCalibInputBox</name>
    <message>
        <source>Edit</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Signal</source>
        <translation>Signal</translation>
    </message>
    <message>
        <source>Etalon</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>&amp;OK</source>
        <translation>&amp;OK</translation>
    </message>
    <message>
        <source>&amp;Storno</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>rm27::FrmQELCalibration</name>
    <message>
        <source>Kalibrace</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>Signál vstupu</source>
        <translation>Input signal</translation>
    </message>
    <message>
        <source>Zachytit</source>
        <translation>Capture</translation>
    </message>
    <message>
        <source>Snímač</source>
        <translation>Sensor</translation>
    </message>
    <message>
        <source>Popis</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Formát</source>
        <translation>Format</translation>
    </message>
    <message>
        <source>Jednotka</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Typ /Zesílení</source>
        <translation>Type /Gain</translation>
    </message>
    <message>
        <source>Průměrování (počet vzorků)</source>
        <translation>Averaging (samples)</translation>
    </message>
    <message>
        <source>SlideRychl</source>
        <translation>Fast slide</translation>
    </message>
    <message>
        <source>Limit</source>
        <translation>Limit</translation>
    </message>
    <message>
        <source>Kalibrační list</source>
        <translation>Certificate</translation>
    </message>
    <message>
        <source>Nejistota [%]</source>
        <translation>Uncertainty [%]</translation>
    </message>
    <message>
        <source>Platnost kalibrace</source>
        <translation>Valid until</translation>
    </message>
    <message>
        <source>Last saved</source>
        <translation>Last saved</translation>
    </message>
    <message>
        <source>S/N</source>
        <translation>S/N</translation>
    </message>
    <message>
        <source>Kalibrační křivka</source>
        <translation>Calibration curve</translation>
    </message>
    <message>
        <source>Etalon</source>
        <translation>Reference</translation>
    </message>
    <message>
        <source>Přidat bod</source>
        <translation>Add point</translation>
    </message>
    <message>
        <source>Smazat bod</source>
        <translation>Delete point</translation>
    </message>
    <message>
        <source>Přidat bod kalibrační křivky</source>
        <translation>Add a point to the calibration curve</translation>
    </message>
    <message>
        <source>Odstranit vybraný bod kalibrační křivky</source>
        <translation>Remove the selected point of the calibration curve</translation>
    </message>
    <message>
        <source>Storno</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Uložit kalibraci</source>
        <translation>Save calibration</translation>
    </message>
    <message>
        <source>&amp;Calibration</source>
        <translation>&amp;Calibration</translation>
    </message>
    <message>
        <source>&amp;New curve</source>
        <translation>&amp;New curve</translation>
    </message>
    <message>
        <source>&amp;Open calibration file ...</source>
        <translation>&amp;Open calibration file ...</translation>
    </message>
    <message>
        <source>&amp;Save to calibration file ...</source>
        <translation>&amp;Save to calibration file ...</translation>
    </message>
    <message>
        <source>&amp;Kalibrační list ...</source>
        <translation>Calibration &amp;certificate ...</translation>
    </message>
    <message>
        <source>&amp;Remove curve</source>
        <translation>&amp;Remove curve</translation>
    </message>
    <message>
        <source>Load calibration data from sensor ...</source>
        <translation>Load calibration data from sensor ...</translation>
    </message>
    <message>
        <source>Save calibration data to sensor ...</source>
        <translation>Save calibration data to sensor ...</translation>
    </message>
    <message>
        <source>&amp;Add curve point</source>
        <translation>&amp;Add curve point</translation>
    </message>
    <message>
        <source>&amp;Remove curve point</source>
        <translation>Remove curve &amp;point</translation>
    </message>
    <message>
        <source>&amp;Graph</source>
        <translation>&amp;Graph</translation>
    </message>
    <message>
        <source>&amp;Show Linearity</source>
        <translation>&amp;Show Linearity</translation>
    </message>
    <message>
        <source>Do eKey se neukládá</source>
        <translation>Not stored in the eKey</translation>
    </message>
    <message>
        <source>Jen pro kalibrační list: do eKey se neukládá</source>
        <translation>Certificate only: not stored in the eKey</translation>
    </message>
    <message>
        <source>Jen pro kalibrační list</source>
        <translation>Certificate only</translation>
    </message>
    <message>
        <source>Zachytit signál jako bod křivky (F5)</source>
        <translation>Capture the signal as a curve point (F5)</translation>
    </message>
    <message>
        <source>Zachytit bod</source>
        <translation>Capture point</translation>
    </message>
</context>
<context>
    <name>rm27::FrmRMUSetup</name>
    <message>
        <source>Nastaven9 jednotky RMU</source>
        <translation>RMU unit settings</translation>
    </message>
    <message>
        <source>Uživatelské limity</source>
        <translation>User limits</translation>
    </message>
    <message>
        <source>OK/Uložit</source>
        <translation>OK/Save</translation>
    </message>
    <message>
        <source>Zavřít</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>rm27::FrmTrace</name>
    <message>
        <source>Komunikace</source>
        <translation>Communication</translation>
    </message>
    <message>
        <source>Příkazy:</source>
        <translation>Commands:</translation>
    </message>
    <message>
        <source>všechny (např. ER KB nebo -MK)</source>
        <translation>all (e.g. ER KB or -MK)</translation>
    </message>
    <message>
        <source>Jména příkazů oddělená mezerou ukážou jen tyto příkazy a jejich odpovědi;
jméno s &quot;-&quot; příkaz skryje (-MK skryje měření).</source>
        <translation>Command names separated by blanks show only these commands and their answers;
a name with &quot;-&quot; hides the command (-MK hides the measurement).</translation>
    </message>
    <message>
        <source>Kopírovat</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>Zkopíruje vybrané řádky (bez výběru všechny zobrazené)</source>
        <translation>Copies the selected rows (with none selected, every row shown)</translation>
    </message>
    <message>
        <source>Uložit ...</source>
        <translation>Save ...</translation>
    </message>
    <message>
        <source>Vymazat</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Zobrazeno %1 z %2 řádků (nejvýše %3)</source>
        <translation>Showing %1 of %2 rows (at most %3)</translation>
    </message>
</context>
<context>
    <name>rm27::WatchWindows</name>
    <message>
        <source>● Záznam: %1, řádků %2</source>
        <translation>● Logging: %1, %2 rows</translation>
    </message>
    <message>
        <source>Záznam ukončen: %1, řádků %2</source>
        <translation>Logging stopped: %1, %2 rows</translation>
    </message>
</context>
</TS>
