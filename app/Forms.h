#pragma once
// The program-wide windows, created once at start-up in this order and reached through these
// variables. Each is owned by the program's start-up routine (app/Program.cpp).

class TForm1;
class Tid32;
class TForm2;
class TForm5;
class TForm4;
class Tbrowser1;
class TfrmMain;
class Teq2;
class TVSXlab;

extern TForm1 *Form1;     // main window
extern Tid32 *id32;       // ID3 information
extern TForm2 *Form2;     // playlist and audio engine
extern TForm5 *Form5;     // configuration
extern TForm4 *Form4;     // level meters
extern Tbrowser1 *browser1; // web browser
extern TfrmMain *frmMain; // radio
extern Teq2 *eq2;         // equaliser
extern TVSXlab *VSXlab;   // VSX Lab
