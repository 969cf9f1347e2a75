// Every Czech text the operations put together for the user, whole or as a
// template with %1, %2 ... where a number, a path, an identifier or another
// text of this list goes. The window's adapters match a finished text
// against these to translate it; a text an operation builds and this list
// lacks shows up as a miss in English.
#include "l10n/text_catalogue.h"

#include <array>

// lupdate reads the marks; the compiler sees the plain texts.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(context, text) text
#endif

namespace rm27 {

std::span<const char* const> TextCatalogue() {
    static constexpr std::array kTexts = {
        QT_TRANSLATE_NOOP("Texts", "Načítám ... %1%"),
        QT_TRANSLATE_NOOP("Texts", "Skenuji ... %1%"),
        QT_TRANSLATE_NOOP("Texts", "Načítání ... %1%"),
        QT_TRANSLATE_NOOP("Texts", "Čtení ... %1%"),
        QT_TRANSLATE_NOOP("Texts", "Načítání DEF kódů ... %1%"),
        QT_TRANSLATE_NOOP("Texts", "Načítám kalibrační data ..."),
        QT_TRANSLATE_NOOP("Texts", "Čtení kalibračních dat ... %1%"),
        QT_TRANSLATE_NOOP("Texts", "Identifikace jednotky ..."),
        QT_TRANSLATE_NOOP("Texts", "Na adrese %1 nebyla nalezena žádná jednotka RM-27/RMU."),
        QT_TRANSLATE_NOOP("Texts", "Na adrese %1 nebyla nalezena RM-27/RMU."),
        QT_TRANSLATE_NOOP("Texts", "Error reading EKEY block"),
        QT_TRANSLATE_NOOP("Texts", "Error reading MEM block"),
        QT_TRANSLATE_NOOP("Texts", "eKey %1"),
        QT_TRANSLATE_NOOP("Texts", "Internal"),
        QT_TRANSLATE_NOOP("Texts", "Internal - N/A"),
        QT_TRANSLATE_NOOP("Texts", "OK."),
        QT_TRANSLATE_NOOP("Texts", "Ukončuji měření  ..."),
        QT_TRANSLATE_NOOP("Texts", "Načítání ..."),
        QT_TRANSLATE_NOOP("Texts", "Spouštím živé měření ..."),
        QT_TRANSLATE_NOOP("Texts", "OK, měření spuštěno ..."),
        QT_TRANSLATE_NOOP("Texts", "Jednotka nenalezena!"),
        QT_TRANSLATE_NOOP("Texts", "Actual device address is %1. While changing address (in range "
                                   "1 to 159) take care on address colision."),
        QT_TRANSLATE_NOOP("Texts", "Change device address "),
        QT_TRANSLATE_NOOP("Texts", "Blok %1 po zápisu neobsahuje, co bylo zapsáno: první rozdíl v "
                                   "bajtu %2 (zapsáno %3h, přečteno %4h)."),
        QT_TRANSLATE_NOOP("Texts", "Zápis bloku %1 nebyl ověřen novým čtením."),
        QT_TRANSLATE_NOOP("Texts", "Blok %1 po zápisu neobsahuje, co bylo zapsáno."),
        QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze přečíst (%2). Do EEPROM nebylo nic zapsáno."),
        QT_TRANSLATE_NOOP("Texts",
                          "Řádek %1 souboru %2 nemá tvar \"LL VV\" (adresa a hodnota, každá dvěma "
                          "šestnáctkovými číslicemi): \"%3\". Do EEPROM nebylo nic zapsáno."),
        QT_TRANSLATE_NOOP(
            "Texts", "Soubor %1 neobsahuje žádný řádek s hodnotou. Do EEPROM nebylo nic zapsáno."),
        QT_TRANSLATE_NOOP("Texts", "Soubor %1 má víc než %2 řádků s hodnotou (paměť převodníku "
                                   "má %3 adres). Do EEPROM nebylo nic zapsáno."),
        QT_TRANSLATE_NOOP("Texts", "Zápis EEPROM %1/%2 ... %3%"),
        QT_TRANSLATE_NOOP("Texts", "Čtení EEPROM %1/%2 ... %3%"),
        QT_TRANSLATE_NOOP(
            "Texts", "Zápis EEPROM ze souboru %1 skončil. Zapsáno bajtů: %2, z toho s odlišnou "
                     "odpovědí převodníku: %3 (první na adrese %4: zapsáno %5, odpověď %6)."),
        QT_TRANSLATE_NOOP("Texts", "Zápis EEPROM ze souboru %1 skončil. Zapsáno bajtů: %2, z toho "
                                   "s odlišnou odpovědí převodníku: %3."),
        QT_TRANSLATE_NOOP("Texts",
                          "Převodník neodpověděl na žádné čtení EEPROM, soubor %1 nebyl uložen."),
        QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze zapsat (%2)."),
        QT_TRANSLATE_NOOP("Texts", "Obsah EEPROM uložen do souboru %1. Uloženo bajtů: %2."),
        QT_TRANSLATE_NOOP("Texts",
                          "Adresy bez odpovědi převodníku: %1 (první %2), v souboru chybí."),
        QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze použít jako zálohu eKey: %2"),
        QT_TRANSLATE_NOOP("Texts", "eKey Vstup%1"),
        QT_TRANSLATE_NOOP("Texts", "interní kopie Vstup%1"),
        QT_TRANSLATE_NOOP("Texts", "Záloha: %1"),
        QT_TRANSLATE_NOOP("Texts", "Převodník: %1, adresa %2"),
        QT_TRANSLATE_NOOP("Texts", "Blok: %1 (%2)"),
        QT_TRANSLATE_NOOP("Texts", "Snímač: %1"),
        QT_TRANSLATE_NOOP("Texts", "Pořízena: %1"),
        QT_TRANSLATE_NOOP(
            "Texts", "Blok nyní obsahuje (podle posledního čtení): snímač %1, shodný se zálohou"),
        QT_TRANSLATE_NOOP("Texts", "Blok nyní obsahuje (podle posledního čtení): snímač %1"),
        QT_TRANSLATE_NOOP("Texts",
                          "Pozor: záloha je z jiného převodníku (připojen je %1, adresa %2)."),
        QT_TRANSLATE_NOOP("Texts", "Blok %1 není eKey ani interní kopie: záloha se nezapíše."),
        QT_TRANSLATE_NOOP("Texts", "Obraz v záloze: snímač %1, popis „%2“."),
        QT_TRANSLATE_NOOP("Texts", "Pozor: na vstupu %1 je nyní snímač %2, popis „%3“."),
        // Why a backup file is refused.
        QT_TRANSLATE_NOOP("Texts", "není to záloha eKey"),
        QT_TRANSLATE_NOOP("Texts", "řádek %1: %2"),
        QT_TRANSLATE_NOOP("Texts", "adresa musí být celé číslo od 0 do 255: „%1“"),
        QT_TRANSLATE_NOOP("Texts", "blok musí být celé číslo od 0 do 255: „%1“"),
        QT_TRANSLATE_NOOP("Texts", "chybný čas „%1“"),
        QT_TRANSLATE_NOOP("Texts", "obraz musí mít 512 šestnáctkových číslic"),
        QT_TRANSLATE_NOOP("Texts", "neznámá položka „%1“"),
        QT_TRANSLATE_NOOP("Texts", "položka „%1“ je v souboru podruhé"),
        QT_TRANSLATE_NOOP("Texts", "chybí číslo bloku"),
        QT_TRANSLATE_NOOP("Texts", "chybí obraz"),
        // Why a file is not read at all.
        QT_TRANSLATE_NOOP("Texts", "je to složka, ne soubor"),
        QT_TRANSLATE_NOOP("Texts", "je to pojmenovaná roura (FIFO), ne soubor"),
        QT_TRANSLATE_NOOP("Texts", "je to zařízení, ne soubor"),
        QT_TRANSLATE_NOOP("Texts", "není to obyčejný soubor"),
        QT_TRANSLATE_NOOP("Texts", "soubor je větší než %1 KiB"),
        QT_TRANSLATE_NOOP("Texts", "EKEY (Vstup%1) not present"),
        QT_TRANSLATE_NOOP("Texts", "Obnovuji blok %1 ze zálohy ..."),
        QT_TRANSLATE_NOOP("Texts", "Chyba zápisu bloku %1 ze zálohy [E:%2]"),
        QT_TRANSLATE_NOOP("Texts", "Blok %1 obnoven ze zálohy a ověřen čtením."),
        QT_TRANSLATE_NOOP("Texts", "%1 - neni eKey"),
        QT_TRANSLATE_NOOP("Texts", "%1 - neslo vytvorit {%2)"),
        QT_TRANSLATE_NOOP("Texts", "%1 - neslo zapsat"),
        QT_TRANSLATE_NOOP("Texts", "%1 - neslo zapsat {%2)"),
        QT_TRANSLATE_NOOP("Texts", "%1 - ID [ %2 ]"),
        QT_TRANSLATE_NOOP("Texts", "Error during writing EKEY@Vstup4 [E:%1]"),
        QT_TRANSLATE_NOOP("Texts", "Reading source e-key Vstup%1 ..."),
        QT_TRANSLATE_NOOP("Texts", "Error reading EKEY@vstup%1 block"),
        QT_TRANSLATE_NOOP("Texts", "Writing to internal Vstup%1 ..."),
        QT_TRANSLATE_NOOP("Texts", "Copied. Read=%1 WRITE=%2"),
        QT_TRANSLATE_NOOP("Texts", "Saved. Read=%1>%2 WRITE=%3"),
        QT_TRANSLATE_NOOP("Texts", "Ukládání nastavení %1/4 ..."),
        QT_TRANSLATE_NOOP("Texts", "Nelze uložit nastavení [ERR:%1]"),
        QT_TRANSLATE_NOOP("Texts", "Chyba ukládání nastavení. [ERR:%1]"),
        QT_TRANSLATE_NOOP("Texts", "Znak „%1“ (%2) nelze uložit do eKey: kódová stránka snímače "
                                   "(Windows-1250) ho neobsahuje."),
        QT_TRANSLATE_NOOP(
            "Texts",
            "převodník byl načten znovu a jeho vstupy jsou popsány jinak než v hlavičce záznamu"),
        QT_TRANSLATE_NOOP("Texts", "soubor nebo jeho složka již neexistuje"),
        QT_TRANSLATE_NOOP("Texts", "Vstup%1> Internal: %2  [%3]"),
        QT_TRANSLATE_NOOP("Texts", "Výběr souboru s obsahem pro eeprom"),
        QT_TRANSLATE_NOOP("Texts", "Soubory  (*.eep)|*.eep|Všechny |*.*"),
        QT_TRANSLATE_NOOP("Texts", "Uložit obsah EEPROM do souboru"),
        QT_TRANSLATE_NOOP("Texts", "Komunikační port uzavřen."),
        QT_TRANSLATE_NOOP("Texts", "Komunikační port otevřen"),
        QT_TRANSLATE_NOOP("Texts", "Nelze otevřít komunikační port"),
        QT_TRANSLATE_NOOP("Texts", "Komunikační port byl uzavřen: %1"),
        QT_TRANSLATE_NOOP("Texts", "Po odpojení převodníku znovu připojit"),
        QT_TRANSLATE_NOOP("Texts",
                          "Když se komunikační port ztratí (odpojený USB převodník), program čeká, "
                          "až se vrátí, otevře ho znovu a zopakuje poslední načtení."),
        QT_TRANSLATE_NOOP("Texts", "Čekám na návrat portu %1 (%2) ..."),
        QT_TRANSLATE_NOOP("Texts", "Převodník se znovu připojil, načítám ..."),
        QT_TRANSLATE_NOOP("Texts", "Převodník se znovu připojil (%1), měření běží."),
        QT_TRANSLATE_NOOP("Texts", "Převodník se znovu připojil (%1)."),
        QT_TRANSLATE_NOOP("Texts",
                          "Port %1 smí používat jen členové skupiny „%2“: přidejte uživatele %3 do "
                          "skupiny (sudo usermod -aG %2 %3) a přihlaste se znovu."),
        QT_TRANSLATE_NOOP("Texts", "Uživatel %1 už je ve skupině „%2“, ale program byl spuštěn "
                                   "dřív: odhlaste se a přihlaste znovu."),
        QT_TRANSLATE_NOOP(
            "Texts", "Uživatel %3 nemá k portu %1 přístup (vlastník %4, skupina „%2“, práva %5)."),
        QT_TRANSLATE_NOOP("Texts", "%1 (%2) používá jiný program: %3, PID %4"),
        QT_TRANSLATE_NOOP("Texts", "%1 (%2) používá jiný program, PID %3"),
        QT_TRANSLATE_NOOP(
            "Texts", "Port %1 (%2) zůstal zamčený po programu, který už neběží (PID %3): "
                     "zámek %4 smí odstranit jen jeho vlastník (%5) nebo správce (sudo rm %4)."),
        QT_TRANSLATE_NOOP("Texts", "Uložit graf jako obrázek"),
        QT_TRANSLATE_NOOP("Texts", "Obrázek PNG (*.png)|*.png"),
        QT_TRANSLATE_NOOP("Texts", "Uložit zobrazená data"),
        QT_TRANSLATE_NOOP("Texts", "CSV, oddělovač čárka, desetinná tečka (*.csv)|*.csv|CSV, "
                                   "oddělovač středník, desetinná čárka (*.csv)|*.csv"),
        QT_TRANSLATE_NOOP("Texts", "Uložit komunikaci do souboru"),
        QT_TRANSLATE_NOOP("Texts", "Text (*.txt)|*.txt|Všechny |*.*"),
        QT_TRANSLATE_NOOP("Texts", "Záznam do souboru"),
        QT_TRANSLATE_NOOP("Texts", "Záznam do souboru %1 byl ukončen: %2. Zapsáno řádků: %3."),
        // What is held against a value shown (its tool tip), a reason a line.
        QT_TRANSLATE_NOOP("Texts", "Hodnota je nejistá: %1"),
        QT_TRANSLATE_NOOP("Texts",
                          "převodník neodpověděl, zobrazená hodnota jen stojí na jejím místě."),
        QT_TRANSLATE_NOOP("Texts", "odpověď převodníku obsahovala znak, který v ní nemůže být."),
        QT_TRANSLATE_NOOP("Texts", "odpověď převodníku neskončila tam, kde měla (mohou to být "
                                   "kusy dvou odpovědí)."),
        QT_TRANSLATE_NOOP("Texts", "na lince čekaly znaky, o které se nikdo nežádal."),
        QT_TRANSLATE_NOOP("Texts", "může to být opožděná odpověď na jiný, dřívější dotaz."),
        QT_TRANSLATE_NOOP("Texts", "vychází z jiné nejisté hodnoty (masky eKey)."),
        // The read-backs after a write.
        QT_TRANSLATE_NOOP("Texts", "Zápis do paměti převodníku se nepodařil: na adrese %1 je %2h, "
                                   "zapsáno bylo %3h."),
        QT_TRANSLATE_NOOP("Texts", "Zápis do paměti převodníku nelze ověřit: adresu %1 se "
                                   "nepodařilo spolehlivě přečíst zpět."),
        QT_TRANSLATE_NOOP(
            "Texts", "Zápis bloku %1 nelze ověřit: blok se nepodařilo spolehlivě přečíst zpět."),
        QT_TRANSLATE_NOOP("Texts", "Převodník se do %1 s po restartu neozval: zapsané bloky (%2) "
                                   "nelze ověřit zpětným čtením."),
        // What the external-to-internal copy found where the reading looks.
        QT_TRANSLATE_NOOP("Texts", "Vnitřní kopie vstupu %1 (blok %2) obsahuje zkopírovaný eKey: "
                                   "převodník ho bez eKey použije."),
        QT_TRANSLATE_NOOP("Texts", "Vnitřní kopie vstupu %1 (blok %2) zkopírovaný eKey neobsahuje: "
                                   "převodník ho bez eKey nepoužije, kopie je jen v bloku %3."),
        QT_TRANSLATE_NOOP("Texts", "Ověření EEPROM %1/%2 ... %3%"),
        QT_TRANSLATE_NOOP("Texts",
                          "Adresy s nejistou odpovědí převodníku: %1 (první %2), v souboru chybí."),
        // Load series: the plan, the readings file and the class table.
        QT_TRANSLATE_NOOP("Texts", "Plán nelze přečíst: není to JSON."),
        QT_TRANSLATE_NOOP("Texts", "Plán: „%1“ chybí nebo nemá správný typ."),
        QT_TRANSLATE_NOOP("Texts", "Plán: vstup musí být 1 až 4."),
        QT_TRANSLATE_NOOP(
            "Texts",
            "Plán: zatížení musí být nejméně dvě, každé větší než nula a větší než předchozí."),
        QT_TRANSLATE_NOOP("Texts", "Plán: počet předzatížení nesmí být záporný."),
        QT_TRANSLATE_NOOP("Texts", "Plán: chybí série."),
        QT_TRANSLATE_NOOP("Texts", "Plán: směr série %1 musí být „up“ nebo „down“."),
        QT_TRANSLATE_NOOP(
            "Texts", "Plán: pásmo stability musí být větší než nula a doba nesmí být záporná."),
        QT_TRANSLATE_NOOP("Texts", "Řádek %1: %2"),
        QT_TRANSLATE_NOOP("Texts", "záhlaví musí být „%1“."),
        QT_TRANSLATE_NOOP("Texts", "očekáváno 7 polí oddělených čárkou, je jich %1."),
        QT_TRANSLATE_NOOP("Texts", "„%1“ není číslo série (1, 2, ...)."),
        QT_TRANSLATE_NOOP("Texts", "„%1“ není číslo."),
        QT_TRANSLATE_NOOP("Texts", "směr musí být „up“ nebo „down“, ne „%1“."),
        QT_TRANSLATE_NOOP("Texts",
                          "druh musí být „zero-before“, „load“ nebo „zero-after“, ne „%1“."),
        QT_TRANSLATE_NOOP("Texts", "série %1 nenavazuje na předchozí řádky."),
        QT_TRANSLATE_NOOP("Texts", "Soubor %1 nelze otevřít pro zápis: %2"),
        QT_TRANSLATE_NOOP("Texts", "Do souboru %1 nelze zapsat: %2"),
        QT_TRANSLATE_NOOP("Texts", "Tabulku tříd nelze přečíst: není to JSON."),
        QT_TRANSLATE_NOOP("Texts", "Tabulka tříd, řádek 1: záhlaví musí být „%1“."),
        QT_TRANSLATE_NOOP(
            "Texts",
            "Tabulka tříd, položka %1: očekáván název třídy a pět mezí (nezáporná čísla)."),
        QT_TRANSLATE_NOOP(
            "Texts", "Tabulka tříd, řádek %1: očekáván název třídy a pět mezí (nezáporná čísla)."),
        QT_TRANSLATE_NOOP("Texts", "Tabulka tříd je prázdná."),
        // A value refused before it goes out: the field, the value, what the
        // field takes; the fields and the ranges are texts of their own.
        QT_TRANSLATE_NOOP("Texts", "%1: hodnotu %2 nelze použít, přípustné jsou hodnoty %3."),
        QT_TRANSLATE_NOOP("Texts", "%1 až %2"),
        QT_TRANSLATE_NOOP("Texts", "0 nebo %1 ≤ |x| ≤ %2"),
        QT_TRANSLATE_NOOP("Texts", "RRMMDD (skutečné datum)"),
        // A field inside a refused value's message, which the checks still
        // put together as one sentence.
        QT_TRANSLATE_NOOP("Texts", "Strmost K vstupu %1"),
        // The English walk of the operations still matches this question as
        // the Czech the test view recorded.
        QT_TRANSLATE_NOOP("Texts", "Vstup %1 je od nuly (Q) vzdálen jen %2 dílků: strmost by "
                                   "byla K = %3. Opravdu ji zapsat?"),
        // The RMU limit's field inside a refused value's message, likewise.
        QT_TRANSLATE_NOOP("Texts", "Limit vstupu %1"),
        // A value its format shows cut: the tool tip of its field.
        QT_TRANSLATE_NOOP("Texts", "Hodnota se nevejde do formátu %1: %2"),
        // A maintenance command that would rely on a doubtful eKey mask.
        QT_TRANSLATE_NOOP("Texts", "maska eKey je nejistá: %1"),
        // The write journal: a write refused before its first frame.
        QT_TRANSLATE_NOOP(
            "Texts", "Deník zápisů nelze zapsat (%1). Zápis se neprovede, nic nebylo zapsáno."),
        QT_TRANSLATE_NOOP("Texts", "Původní obsah bloku %1 se nepodařilo přečíst. Zápis se "
                                   "neprovede, nic nebylo zapsáno."),
        QT_TRANSLATE_NOOP("Texts", "Původní obsah adresy paměti %1 se nepodařilo přečíst. Zápis se "
                                   "neprovede, nic nebylo zapsáno."),
        QT_TRANSLATE_NOOP(
            "Texts", "Původní obsah bloku %1 není znám. Zápis se neprovede, nic nebylo zapsáno."),
        QT_TRANSLATE_NOOP(
            "Texts",
            "Původní obsah adresy paměti %1 není znám. Zápis se neprovede, nic nebylo zapsáno."),
        // What a write left, and the two ways back.
        QT_TRANSLATE_NOOP("Texts", "%1 teď může obsahovat směs starých a nových bajtů: %2."),
        QT_TRANSLATE_NOOP("Texts", "%1 teď mohou obsahovat směs starých a nových bajtů: %2."),
        QT_TRANSLATE_NOOP("Texts", "zápis se zastavil u bajtu %1"),
        QT_TRANSLATE_NOOP("Texts", "zápis se nepodařil"),
        QT_TRANSLATE_NOOP("Texts", "zápis byl přerušen"),
        QT_TRANSLATE_NOOP("Texts", "zpětné čtení ukázalo jiný obsah, než byl zapsán"),
        QT_TRANSLATE_NOOP("Texts", "zapsaný obsah se nepodařilo ověřit zpětným čtením"),
        QT_TRANSLATE_NOOP("Texts", "zápis nebyl dokončen"),
        QT_TRANSLATE_NOOP("Texts", "Zápis je v deníku zápisů pod číslem %1."),
        QT_TRANSLATE_NOOP("Texts", "Zápis je v deníku zápisů pod číslem %1 (%2)."),
        QT_TRANSLATE_NOOP("Texts", "„Zopakovat zápis“ zapíše celý nový obsah znovu, „Obnovit "
                                   "původní obsah“ vrátí obsah z doby před zápisem."),
        QT_TRANSLATE_NOOP("Texts", "Zopakovat zápis"),
        QT_TRANSLATE_NOOP("Texts", "Obnovit původní obsah"),
        QT_TRANSLATE_NOOP("Texts", "Probíhá zápis do převodníku. Přerušit ho a ukončit program?"),
        QT_TRANSLATE_NOOP(
            "Texts", "Přerušený zápis může v převodníku zanechat směs starého a nového obsahu."),
        // Where a journal entry wrote, and its command in the operator's words.
        QT_TRANSLATE_NOOP("Texts", "Blok %1 (%2)"),
        QT_TRANSLATE_NOOP("Texts", "Adresa paměti %1"),
        QT_TRANSLATE_NOOP("Texts", "Adresy paměti %1–%2"),
        QT_TRANSLATE_NOOP("Texts", "Adresy paměti %1 … %2 (%3 adres)"),
        QT_TRANSLATE_NOOP("Texts", "nula vstupu"),
        QT_TRANSLATE_NOOP("Texts", "strmost vstupu"),
        QT_TRANSLATE_NOOP("Texts", "filtr"),
        QT_TRANSLATE_NOOP("Texts", "změna adresy"),
        QT_TRANSLATE_NOOP("Texts", "zápis EEPROM ze souboru"),
        QT_TRANSLATE_NOOP("Texts", "uložení kalibrace"),
        QT_TRANSLATE_NOOP("Texts", "kopie eKey do interní paměti"),
        QT_TRANSLATE_NOOP("Texts", "kopie eKey vstupu 1 do vstupu 4"),
        QT_TRANSLATE_NOOP("Texts", "inicializace eKey"),
        QT_TRANSLATE_NOOP("Texts", "uživatelské limity RMU"),
        QT_TRANSLATE_NOOP("Texts", "obnovení eKey ze zálohy"),
        QT_TRANSLATE_NOOP("Texts", "vrácení zápisu"),
        QT_TRANSLATE_NOOP("Texts", "zopakování zápisu"),
        // Undo and redo.
        QT_TRANSLATE_NOOP("Texts", "Vrátit zápis č. %1 ?"),
        QT_TRANSLATE_NOOP("Texts", "Zopakovat zápis č. %1 ?"),
        QT_TRANSLATE_NOOP("Texts", "Zápis: %1, %2"),
        QT_TRANSLATE_NOOP("Texts", "Vstup: %1"),
        QT_TRANSLATE_NOOP("Texts", "Výsledek zápisu: %1"),
        QT_TRANSLATE_NOOP("Texts", "zastavil se u bajtu %1"),
        QT_TRANSLATE_NOOP(
            "Texts",
            "Pozor: zápis byl do převodníku %1 na adrese %2, připojen je %3 na adrese %4."),
        QT_TRANSLATE_NOOP("Texts",
                          "Pozor: na vstupu %1 je nyní snímač %2, zápis se týkal snímače %3."),
        QT_TRANSLATE_NOOP("Texts", "Deník zápisů nelze přečíst (%1)."),
        QT_TRANSLATE_NOOP("Texts", "V deníku zápisů není zápis č. %1."),
        QT_TRANSLATE_NOOP("Texts", "Chyba zápisu bloku %1 [E:%2]"),
        QT_TRANSLATE_NOOP("Texts", "Vracím zápis č. %1 ..."),
        QT_TRANSLATE_NOOP("Texts", "Opakuji zápis č. %1 ..."),
        QT_TRANSLATE_NOOP("Texts", "Zápis č. %1 vrácen a ověřen čtením (záznam č. %2)."),
        QT_TRANSLATE_NOOP("Texts", "Zápis č. %1 zopakován a ověřen čtením (záznam č. %2)."),
        // A zero or slope refused for what it would rest on.
    };
    return kTexts;
}

} // namespace rm27
