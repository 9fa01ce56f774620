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
  // Input Plugins page: the plug-in information fields and the current library's name.
  author = 2150,
  dllname = 2151,
  date = 2152,
  info = 2153,
  files = 2154,
  version = 2155,
  CurrentInput = 2156,
};

// TForm3, the playlist window (3000-3999).
enum PlaylistWindow : int {
  pl = 3001,
  pathbox = 3002,
  plct = 3003,
  Label3 = 3004,
  playingLabel = 3005,  // the "playing" label
  // The other controls of TForm3, prefixed "pl" (names like addbut recur in other windows).
  pladdbut = 3010,
  plremovebut = 3011,
  plsavebut = 3012,
  plsortbut = 3013,
  plrandombut = 3014,
  plToolbarButton971 = 3015,  // Move up
  plToolbarButton972 = 3016,  // Move down
  plLabel1 = 3020,            // "Currently Playing :"
  plLabel2 = 3021,            // "Number of tracks :"
  plLabel4 = 3024,            // scan progress captions and figures: Label4 .. Label11
  plLabel5 = 3025,
  plLabel6 = 3026,  // folders processed
  plLabel7 = 3027,  // entries examined
  plLabel8 = 3028,
  plLabel9 = 3029,
  plLabel10 = 3030,       // current folder
  plLabel11 = 3031,       // current file
  plLabel12 = 3032,       // "Playing : "
  DirectoryEdit1 = 3040,  // hidden folder chooser: setting its text starts a folder scan
  // Menu commands (WM_COMMAND to TForm3).
  plFiles1 = 3100,
  plDirectory1 = 3101,
  plUrl1 = 3102,
  plSelected1 = 3103,
  plAll1 = 3104,
  plSelectAll1 = 3105,
  plInvertSelection1 = 3106,
  plUnselectAll1 = 3107,
  plSort1 = 3108,         // PlPopup "Sort": by song name, ascending
  plNameInOrder = 3109,   // SortPopup "By SongName" > "In order"
  plDescending1 = 3110,   // SortPopup "By SongName" > "Invert order"
  plInOrder1 = 3111,      // SortPopup "By Path" > "In Order"
  plInvertOrder1 = 3112,  // SortPopup "By Path" > "Invert Order"
};

// TForm6, the design chooser (6000-6999).
enum DesignChooser : int {
  designList = 6001,          // Designbox
  randomDesignCheck = 6002,   // randombox
  dcLabel2 = 6003,            // Label2 "Choose a design"
  designdlls = 6004,          // hidden list of markers, parallel to Designbox
  dcAddbut = 6005,            // addbut: set as default
  dcToolbarButton972 = 6006,  // ToolbarButton972: apply
  dcToolbarButton971 = 6007,  // ToolbarButton971: cancel
  dcImage1 = 6008,            // Image1: preview
};

// TForm12, the VU meter (12000-12999). The bars and lamps are pictures (read their
// pixels); ruler is the hidden fully lit bar they are drawn from.
enum VuMeterWindow : int {
  iml = 12001,   // left bar
  imr = 12002,   // right bar
  redl = 12003,  // left overload lamp
  redr = 12004,  // right overload lamp
  ruler = 12005,
};

// TForm8, the add-URL dialog (8000-8999).
enum AddUrlDialog : int {
  urlEdit = 8001,     // ComboBox1: the URL and its history
  urlAdd = 8002,      // OLabel1 "Add"
  urlCancel = 8003,   // OLabel2 "Cancel"
  urlCaption = 8004,  // "Type a url"
};

}  // namespace velmora::ids
