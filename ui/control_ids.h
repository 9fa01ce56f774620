// Control identifiers of every named control, so that other programs (and the end-to-end
// tests) can reach a control with GetDlgItem(window, id) and read it with the standard
// query messages: window text for captions, TBM_GETPOS/TBM_GETRANGEMAX for sliders,
// BM_GETCHECK for check boxes, LB_GETCOUNT/LB_GETTEXT/LB_GETSEL for lists.
// Top-level windows are found by their class name (TForm1 ... TForm13) or title.
// No <windows.h> here: this header is shared with portable code.
#pragma once

namespace velmora::ids {

// TForm1, the main window (1000-1999).
enum MainWindow : int {
  playbut = 1001,
  stopbut = 1002,
  pausebut = 1003,
  fwdbut = 1004,
  revbut = 1005,
  prevtrackbut = 1006,
  nexttrackbut = 1007,
  openbut = 1008,
  plbut = 1009,
  id3but = 1010,
  optionbut = 1011,
  Bitbtn1 = 1012,  // Exit
  Button1 = 1013,  // Move Window
  minibut = 1014,
  Banner1 = 1020,  // scrolling title
  banner2 = 1021,  // status line
  poslab = 1022,
  lengthlab = 1023,
  Statictext1 = 1024,
  Versiontext = 1025,
  Freq = 1026,
  bitr = 1027,
  lay = 1028,
  tb = 1030,      // position slider
  volbar = 1031,  // volume slider
  loading = 1040,
  background = 1041,
  imdeactivated = 1042,
};

// TForm2, the options window (2000-2999).
enum OptionsWindow : int {
  Dlls = 2001,
  ExtensionBox = 2002,
  DllBox = 2003,
  ListBox1 = 2004,
  currenterrors = 2005,
  // check boxes
  cbAutoplay = 2100,
  cbLoop = 2101,
  cbMultiple = 2102,
  cbTransparency = 2103,
  cbEasyMove = 2104,
  cbRandomPlay = 2105,
  cbFadePlay = 2106,
  cbFadeStop = 2107,
  cbFadePause = 2108,
  cbToTop = 2109,
  cbNag = 2110,
  cbUseProxy = 2111,
  cbLogErrors = 2112,
  cbShadowMode = 2113,
  cbEnableTooltips = 2114,
  rgMinimize = 2120,
  rgVisibleMode = 2121,
  edHost = 2130,
  edPort = 2131,
  edUser = 2132,
  edPassword = 2133,
  OLabel4 = 2140,
};

// TForm3, the playlist window (3000-3999).
enum PlaylistWindow : int {
  pl = 3001,
  pathbox = 3002,
  plct = 3003,
  Label3 = 3004,
  playingLabel = 3005,  // the "playing" label
  addbut = 3010,
  removebut = 3011,
  savebut = 3012,
  sortbut = 3013,
  randombut = 3014,
  ToolbarButton971 = 3015,  // Move up
  ToolbarButton972 = 3016,  // Move down
  Label1 = 3020,            // "Currently Playing :"
  Label2 = 3021,            // "Number of tracks :"
  Label4 = 3024,            // scan progress captions and figures: Label4 .. Label11
  Label5 = 3025,
  Label6 = 3026,
  Label7 = 3027,
  Label8 = 3028,
  Label9 = 3029,
  Label10 = 3030,
  Label11 = 3031,
  Label12 = 3032,           // "Playing : "
  DirectoryEdit1 = 3040,    // hidden folder chooser: setting its text starts a folder scan
  // Menu commands (WM_COMMAND to the window).
  Files1 = 3100,
  Directory1 = 3101,
  Url1 = 3102,
  Selected1 = 3103,
  All1 = 3104,
  SelectAll1 = 3105,
  InvertSelection1 = 3106,
  UnselectAll1 = 3107,
  Sort1 = 3108,             // PlPopup "Sort": by song name, ascending
  NameInOrder = 3109,       // SortPopup "By SongName" > "In order"
  Descending1 = 3110,       // SortPopup "By SongName" > "Invert order"
  InOrder1 = 3111,          // SortPopup "By Path" > "In Order"
  InvertOrder1 = 3112,      // SortPopup "By Path" > "Invert Order"
};

// TForm6, the design chooser (6000-6999).
enum DesignChooser : int {
  designList = 6001,
  randomDesignCheck = 6002,
};

// TForm8, the add-URL dialog (8000-8999).
enum AddUrlDialog : int {
  urlEdit = 8001,  // ComboBox1: the URL and its history
  OLabel1 = 8002,  // "Add"
  OLabel2 = 8003,  // "Cancel"
  urlCaption = 8004,  // "Type a url"
};

}  // namespace velmora::ids
