// The program-wide window names; only the program itself uses them.
#include "Forms.h"

TForm1 *Form1 = nullptr;
Tid32 *id32 = nullptr;
TForm2 *Form2 = nullptr;
TForm5 *Form5 = nullptr;
TForm4 *Form4 = nullptr;
Tbrowser1 *browser1 = nullptr;
TfrmMain *frmMain = nullptr;
Teq2 *eq2 = nullptr;
TVSXlab *VSXlab = nullptr;
