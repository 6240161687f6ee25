#include "cli/cli_command.h"

namespace quilto::cli {

int RunCheck(const std::vector<std::string>& args);
int RunShow(const std::vector<std::string>& args);
int RunCreate(const std::vector<std::string>& args);
int RunDelete(const std::vector<std::string>& args);
int RunList(const std::vector<std::string>& args);
int RunCalc(const std::vector<std::string>& args);
int RunBackupCommand(const std::vector<std::string>& args);
int RunRestoreCommand(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);
int RunPrint(const std::vector<std::string>& args);
int RunMasters(const std::vector<std::string>& args);
int RunCosts(const std::vector<std::string>& args);

namespace {

// Each help text: what the command does, its arguments and options, what it prints, and
// when it exits with a status other than 0.

constexpr const char* kCheckHelp =
    R"(Runs the start-up check of the program on the working folder: creates the folders
and every missing data file (environment file, master lists, table definitions) and,
when an outdated environment file or table definition is found, asks whether to
re-create it.

Options:
  --yes   answer the check's questions with yes (re-create what is outdated)
  --no    answer them with no
With neither, a question is answered no and said so on stderr.

Exit status: 0 when every file is in place, 1 when the check failed (the message names
the code), 2 for wrong arguments.
)";

constexpr const char* kListHelp =
    R"(Prints the estimate list of the data folder, one line per estimate file, sorted as the
program's list shows it: number (6), two blanks, customer (30), title (30), date (25),
amount including tax (15), three blanks, print date (25), widths in Shift-JIS bytes,
printed as UTF-8. A file whose header cannot be read shows only its number; a file that
is not an estimate shows "<見積データではありません>".

  list [--text T] [--from DATE] [--to DATE] [--min N] [--max N] [--issued] [--json | --csv]

Options search the list as the list window's search bar does; every option given must
match, bounds are inclusive:
  --text T     found in the number, customer, title or place, ignoring full/half width
               and letter case
  --from DATE  estimate date on or after DATE; --to DATE: on or before. DATE as
               2025-04-01, 2025/4/1, R7.4.1 or 令和7年4月1日. An estimate whose date
               cannot be read (blank or free text) never matches a date bound.
  --min N      amount including tax at least N yen; --max N: at most N (33000 or 33,000)
  --issued     only estimates of which a document was issued (the 発行済み archive)
  --json       a JSON array, one object per estimate: number, file, customer, title,
               place, date (as typed), dateRead (YYYY-MM-DD or null), amount (a number,
               null when unreadable), printDate, issued
  --csv        UTF-8 with a byte-order mark, one header line, one line per estimate:
               見積番号,得意先,件名,場所,見積日,金額(税込),印刷日,発行済み,ファイル

Exit status: 0, 1 when the data folder does not exist, 2 for wrong arguments.
)";

constexpr const char* kShowHelp =
    R"(Prints one estimate file as JSON: "signature", "header" (every cover field by the name
of its control, e.g. "MName1", "ZRitu", "pattern", "CheckBox1", the figures "MGoukei01"
...), "summary" and "breakdown" (the line records as stored, each breakdown line with its
"details"). Fixed-point values are decimal strings in shortest form ("1500", "0.5").

Arguments:
  NNNNNN   the management number (six digits), or BackUp for the backup estimate
  --json   required: the output format

Exit status: 0; 1 when the file cannot be read or is not an estimate file; 2 for wrong
arguments.
)";

constexpr const char* kCreateHelp =
    R"(Creates a new estimate from a JSON description, calculates it as the editor does and
saves it as the editor saves a new estimate (the backup estimate m_BackUp.dat first,
then the next free management number). Prints the new number.

Arguments:
  --json FILE   the description (UTF-8)

The description is an object with up to three entries:
  "cover"      the cover fields by control name, texts unless said otherwise:
               MName1 customer (40 bytes, required), MTitle1 title (50, required),
               MBango (15), MYMD1 date (22), MBasyo1 place (60), MYMD2/MYMD3 period
               (22 each), MKigen1 validity (50), MTanto1 person in charge (20),
               MBiko1 ... MBiko8 notes (80 each), MBiko9 heading (30), MBiko10 (80),
               MName2 (30), MCode1 (6);
               ZRitu tax rate: a text of at most two digits ("10");
               CheckBox1 (true: the summary supplies the totals), CheckBox2 (true: the
               printed amount includes tax): true or false;
               pattern: the print pattern, the number 0, 1 or 2.
               MNo and the figures MGoukei01 ... are not given: they are worked out.
  "summary"    a list of rows, row 1 first; a row is a list of cell texts from
               column 1 on, as a user types them; null is a blank row:
               marker or code (3), number (4), name (40), unit (4), quantity (7,
               decimals allowed), unit price (12), amount (14), cost unit price (12),
               cost (14), remarks (28)
  "breakdown"  a list of lines, line 1 first, each null or an object with
               "cells": marker or code (3), number (4), name (40), unit (4),
               quantity (4), amount (14), cost (14), remarks (28), and
               "details": the rows of the line's detail sheet: product code (6),
               number (4), name (40), specification (40), unit (4), quantity (7),
               unit price (9), amount (11), cost unit price (9), cost (11), remarks (28),
               labour rate (6); quantities and prices may have decimals.
The marker of a special line is "=" subtotal, "-" discount, "/" total, "%" tax,
"\" grand total (written "\\" in JSON); a special line has no details.

Sizes are the most a user can type into the field, in Shift-JIS bytes. Number cells
take an optional "-", digits (thousands separators only between groups of three) and,
where allowed, "." and decimals; their size counts the digits, "-" and ".". Texts are
converted to Shift-JIS: the characters Linux input methods type for Japanese ones are
taken as those (〜 U+301C as ～, − U+2212 as －, ‖ U+2016 as ∥, — U+2014 as ―, ¢ £ ¬,
and ¥ U+00A5 as the yen sign); control characters (tab, newline, ...) and characters
Shift-JIS cannot hold are refused.

Example:
  {"cover": {"MName1": "山田工務店", "MTitle1": "外壁塗装工事", "ZRitu": "10",
             "CheckBox2": true, "pattern": 0},
   "summary": [["", "1", "仮設工事", "式", "1", "150,000"], null, ["="]],
   "breakdown": [
     {"cells": ["", "1", "足場", "式", "1"],
      "details": [["000123", "", "単管足場", "H=10m", "㎡", "150", "1,000"]]},
     {"cells": ["/"]}]}

Exit status: 0 with the number printed; 1 when the description is refused (the message
names the field, e.g. "summary[0][4]", and nothing is written), when the customer or
title is empty (見積データが設定されていません。), when a figure runs past the largest
amount the program can hold (the message names the line) or when the save fails; 2 for
wrong arguments.
)";

constexpr const char* kDeleteHelp =
    R"(Deletes an estimate file as the estimate list does; refused while the estimate is in
use (another copy of the program holds its marker).

Arguments:
  NNNNNN   the management number (six digits)

Exit status: 0 when deleted; 1 when it is in use or could not be deleted (the message
says why); 2 for wrong arguments.
)";

constexpr const char* kCalcHelp =
    R"(Loads an estimate, calculates every detail sheet, the breakdown and the summary as the
editor does, and prints the result as JSON: "header" (MGoukei01 estimate amount,
MGoukei11 total excluding tax, MGoukei12 cost, MGoukei13 gross profit), "summary" and
"breakdown" (the grid rows in display form, cells from column 1 on) and "details" (the
detail sheets by breakdown line number).

Arguments:
  NNNNNN   the management number (six digits), or BackUp
  --json   required: the output format
  --save   also save the calculated estimate, as the editor saves it: refused while it
           is in use, or when its customer or title is empty (見積データが設定されていません。)

Exit status: 0; 1 when the estimate cannot be read, is in use or lacks its customer or
title (with --save), or a figure runs past the largest amount the program can hold (the message names the line;
the JSON is printed, nothing is saved); 2 for wrong arguments.
)";

constexpr const char* kExportHelp =
    R"(Fills the workbook template of the estimate's print pattern (XlsBase/見積書NN.xlsx, or
原価表NN with --cost, 書式FNNA/B for free-form output) as the output dialog does, and
saves it as a workbook or converts it to PDF with LibreOffice. Prints the path written
and, on stderr, a progress line and the number of pages.

Arguments:
  NNNNNN                the management number (six digits)
  --xlsx FILE | --pdf FILE
                        what to write (one of them is required)
  --pattern 0|1|2       the print pattern (default: the estimate's own)
  --sheets LIST         which sheets, a comma list of cover, summary, breakdown, detail
                        (default: cover, breakdown, detail, and summary when the estimate
                        totals on it)
  --cost                the cost sheet (原価表) instead of the estimate
  --itemised            add the sheet 材料費等内訳書 (the itemised estimate: per work type
                        材料費, 労務費, 法定福利費, 安全衛生経費, 建退共掛金, その他経費,
                        total and days; see `help costs`); not with --free
  --constructions all|1,3,...
                        the breakdown lines whose detail sheets are output (default all)
  --free summary|breakdown|details
                        free-form output from the summary, the breakdown or every detail
                        sheet, on the 書式F templates
  --lines-totals        free-form output: a totals block from the special lines
  --doc-number TEXT     free-form output: the document number (15 bytes)
  --print-date TEXT     free-form output: the print date (22 bytes)
  --yes | --no          the answer when the 消費税含む(印刷) tick and the figures disagree
                        (a tax line with the tick off, or the tick on without one): --yes
                        writes anyway; without --yes nothing is written

Exit status: 0 when written; 1 when the estimate cannot be read, a figure runs past the
largest amount the program can hold (the message names the line), the tax tick and the
figures disagree without --yes, the template is missing or the output fails (the message
says why); 2 for wrong arguments; 3 when there is nothing to print.
)";

constexpr const char* kCostsHelp =
    R"(Prints the itemised estimate of an estimate as JSON: the table the sheet 材料費等内訳書
shows, after every figure of the estimate was brought up to date as a save would.

Each breakdown line is a work type. Its amount is split by the cost classes of its detail
lines: a line's labour (歩掛単価 x quantity, rounded to whole yen with the amount rounding
of the settings) is 労務費 whatever its class, and the rest of its amount goes to its
class. Lines without a class count as 材料費 and are also added up under "unclassified",
so that what was never classified can be seen. A line without detail lines counts its
typed amount that way. Discounts are never spread over the classes: a discount of a detail
sheet follows its work type as a line of kind "discount", and so does a discount line of
the breakdown. Subtotal and total lines count for nothing; the tax line gives "tax".

Arguments:
  NNNNNN      the management number (six digits)
  --json      the output format (the only one)

Output (amounts are decimal strings):
  {"number", "estimateNumber", "customer", "title",
   "lines": [{"number": breakdown row, "kind": "work"|"discount", "name",
              "材料費", "労務費", "法定福利費", "安全衛生経費", "建退共掛金", "その他経費",
              "unclassified", "days", "total"}, ...],
   "totals": {the six classes, "unclassified", "discounts", "total" (before tax),
              "tax", "totalWithTax"}}
For a work type, the six classes add up to "total"; the lines' totals add up to the
estimate's total before tax.

Exit status: 0 when printed; 1 when the estimate cannot be read, is not an estimate, or a
figure runs past the largest amount the program can hold; 2 for wrong arguments.
)";

constexpr const char* kPrintHelp =
    R"(Fills the workbook as export does, converts it to PDF with LibreOffice (hidden sheets
are not printed) and sends the PDF to a CUPS printer.

Arguments:
  NNNNNN            the management number (six digits)
  --printer NAME    the CUPS queue (default: the user's default printer)
  and every choice of export except --xlsx/--pdf.

Exit status: 0 when the job was sent; 1 when the estimate cannot be read, no printer is
set up, LibreOffice is missing or the job fails (the message says why); 2 for wrong
arguments; 3 when there is nothing to print.
)";

constexpr const char* kBackupHelp =
    R"(Backs up the working folder's data into DIR as the backup window does: the estimates
("*.dat" of the data folder) into DIR/DAT, the master files with a copy of the
environment file sp_jis.dat into DIR/MST, the templates and table definitions into
DIR/XlsBase. Files of the same name are replaced, others in DIR are kept; marker files
("*.tmp") are never copied. Asks nothing, so that it can run from cron or a systemd
timer. Prints {"copied":N,"failed":M}; messages go to stderr, every file that could not
be copied named with the reason.

Arguments:
  DIR   the backup folder (made when missing); not the working folder itself

Exit status: 0 when every file was copied; 1 when a file or folder could not be copied
or DIR is the working folder; 2 for wrong arguments.
)";

constexpr const char* kRestoreHelp =
    R"(Copies a backup in DIR back into the working folder as the backup window's restore
does: DIR/DAT into the data folder, DIR/MST into the master folder, DIR/XlsBase into
XlsBase, and the backed-up environment file into the working folder. Files not in the
backup are left in place; no folder is made. Refused while another running copy of the
program has an estimate or the master lists open (their markers are held), and when DIR
holds no backup. Prints {"copied":N,"failed":M}.

Options:
  --yes   confirm the restore (without it the question is answered no)
  --no    decline it

Exit status: 0 when every file was restored; 1 when it was declined, refused, or a file
could not be copied (named on stderr); 2 for wrong arguments.
)";

constexpr const char* kMastersHelp =
    R"(The master lists of the master folder: construction names, their products, the CSV
import of products.

  masters list [--json]          every construction name: code, name, number of products
  masters list CODE [--json]     the products of one construction name: code, name,
                                 specification, unit, cost, price, remarks (tab-separated)
  masters import CODE FILE.csv   imports products into a construction name as the name
                                 registration does (name, specification, unit, cost,
                                 price; CP932, UTF-8 or UTF-16 with its byte-order
                                 mark; a quoted field may hold commas and line breaks; a
                                 line with a character Shift-JIS cannot hold or a price
                                 that is no number or wider than 10 places is left out
                                 and named; blank lines are skipped); prints the closing
                                 message
  masters export CODE            the products of one construction name as CSV in the
                                 import's columns (UTF-8 with BOM), which imports back
                                 the same

Exit status: 0; 1 when the construction code or the file is not there, the file cannot
be read, is too large or is no text, the masters are in use by another running copy
(import), or the product file cannot be written; 2 for wrong arguments; 3 when an import
came in only in part (lines left out, or the product list full): what came in is written.
)";

}  // namespace

const std::vector<CliCommand>& Commands() {
    static const std::vector<CliCommand> commands = {
        {"check", "check [--yes|--no]   create missing data files, re-create outdated ones",
         kCheckHelp, &RunCheck},
        {"list", "list                 the estimate list of the data folder, one line each",
         kListHelp, &RunList},
        {"show", "show NNNNNN --json   an estimate file (NNNNNN or BackUp) as JSON", kShowHelp,
         &RunShow},
        {"create", "create --json FILE   a new estimate from JSON; prints its number", kCreateHelp,
         &RunCreate},
        {"calc", "calc NNNNNN --json [--save]  the estimate as the editor calculates it", kCalcHelp,
         &RunCalc},
        {"delete", "delete NNNNNN        delete an estimate unless it is in use", kDeleteHelp,
         &RunDelete},
        {"export",
         "export NNNNNN --xlsx|--pdf FILE [--pattern 0|1|2] [--sheets LIST] [--cost]\n"
         "                       [--constructions all|1,3,...] [--free summary|breakdown|details]\n"
         "                       [--lines-totals] [--doc-number TEXT] [--print-date TEXT]\n"
         "                       [--yes|--no]  fill the estimate's workbook template",
         kExportHelp, &RunExport},
        {"print", "print NNNNNN [--printer NAME] [export's choices]  print the filled workbook",
         kPrintHelp, &RunPrint},
        {"backup", "backup DIR           copy estimates, masters and templates into DIR",
         kBackupHelp, &RunBackupCommand},
        {"restore", "restore DIR --yes    copy a backup in DIR back (refused while in use)",
         kRestoreHelp, &RunRestoreCommand},
        {"masters", "masters list [CODE] [--json] | import CODE FILE.csv | export CODE",
         kMastersHelp, &RunMasters},
        {"costs", "costs NNNNNN --json  the itemised estimate: per work type 材料費 to その他経費",
         kCostsHelp, &RunCosts},
    };
    return commands;
}

}  // namespace quilto::cli
