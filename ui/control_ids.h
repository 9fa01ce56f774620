// Control identifiers of every named control, so that other programs (and the end-to-end
// tests) can reach a control with GetDlgItem(window, id) and read it with the standard
// query messages: window text for captions, TBM_GETPOS/TBM_GETRANGEMAX for sliders,
// BM_GETCHECK for check boxes, LB_GETCOUNT/LB_GETTEXT/LB_GETSEL for lists.
// Top-level windows are found by their class name (TForm1 ... TForm14) or title.
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
  TreeView1 = 2006,  // the navigation tree (a SysTreeView32)
  pageTitle = 2007,  // the title line of the page shown
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
  cbMediaKeys = 2118,   // "Global media keys"
  cbGlobalKeys = 2119,  // "Global keys"
  rgMinimize = 2120,     // MinimizeGroup "Minimize to :", items rgMinimize0..2
  rgVisibleMode = 2121,  // RadioGroup1 "Visible on :", items rgVisibleMode0..2
  rgMinimize0 = 2122,
  rgMinimize1 = 2123,
  rgMinimize2 = 2124,
  rgVisibleMode0 = 2125,
  rgVisibleMode1 = 2126,
  rgVisibleMode2 = 2127,
  GroupBox1 = 2128,  // the proxy fields' group
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
  // Sound Options page.
  balance = 2160,  // trackbar 0..100
  baledit = 2161,
  // Help page.
  infor = 2170,
  OLabel5 = 2171,       // "Change the design"
  helpPlaylist = 2172,  // "Edit the playlist" (the control named playlist)
  OLabel6 = 2173,       // "Open files"
  // History, Greetings.
  Memo3 = 2180,
  Memo1 = 2181,
  Memo2 = 2182,
  // About page.
  aboutBanner1 = 2190,  // the scrolling credits (Banner1)
  urlbox = 2191,
  addbut = 2192,
  emailbox = 2193,
  ToolbarButton971 = 2194,
  aboutLogo = 2195,
  // Design Info page.
  Edit9 = 2200,
  Edit10 = 2201,
  Edit11 = 2202,
  Image3 = 2203,
  Banner2 = 2204,
  // Memory Infos page: the six value texts and four gauges.
  edit1 = 2210,
  edit2 = 2211,
  edit3 = 2212,
  Edit4 = 2213,
  Edit5 = 2214,
  Edit6 = 2215,
  Gauge1 = 2216,
  Gauge2 = 2217,
  Gauge3 = 2218,
  Gauge4 = 2219,
  // System Info page.
  system1 = 2230,
  system2 = 2231,
  system3 = 2232,
  system6 = 2233,
  system7 = 2234,
  pwr1 = 2235,
  pwr2 = 2236,
  pwr3 = 2237,
  pwr4 = 2238,
  // Pages other subsystems put in: their controls take ids from these ranges.
  visPageFirst = 2400,       // "Visualisation Plugins": 2400-2499
  fileTypePageFirst = 2500,  // "FileType/Icons": 2500-2599
  updatePageFirst = 2600,    // "Update": 2600-2699
};

// TForm13, the news window (13000-13999).
enum NewsWindow : int {
  newsText = 13001,
  newsHeading = 13002,
  newsFooter = 13003,
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
  plJumpToFile = 3113,    // PlPopup "Jump to file" (also the J key)
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

// The options window's "Visualisation Plugins" page (2400-2499, children of TForm2).
enum VisualisationPage : int {
  Edit7 = visPageFirst,            // the chosen library
  Edit8 = visPageFirst + 1,        // the chosen module
  Dlllist = visPageFirst + 2,      // header descriptions of the visualisation plug-ins
  dlllist2 = visPageFirst + 3,     // their paths, row for row (hidden)
  ComboBox1 = visPageFirst + 4,    // the modules of the library clicked
  OLabel7 = visPageFirst + 5,      // "Configure"
  OLabel8 = visPageFirst + 6,      // "Choose this one"
  cbUsePlayingSound = visPageFirst + 7,  // "Use the playing sound"
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

// TForm2's "FileType/Icons" page (2500-2599); its extension list is the window's ListBox1.
enum FileTypePage : int {
  Icone = 2501,         // preview of the chosen icon
  TrackBar1 = 2502,     // 1 = the program's icon, p >= 2 = icon file p - 2
  FileListBox1 = 2503,  // hidden: the *.ico files of the Icons folder
  ftRegister = 2504,    // OLabel3 "Register those type now"
  ftDesktop = 2505,     // OLabel1 "On Desktop"
  ftPrograms = 2506,    // OLabel2 "On Programs Menu"
  ftSkins = 2507,       // "Skin archives (WSZ)": .wsz registered with the others
};

// TForm2's "Update" page (2600-2699).
enum UpdatePage : int {
  upCheckNow = 2601,  // OLabel9 "Check Now !"
  upStatus = 2602,    // status, "Sleeping ..." at first
  upMemo4 = 2603,     // Memo4, empty
};

// TForm7, the "Auto Updating" window (7000-7999).
enum AutoUpdateWindow : int {
  updStatus = 7001,  // status
  updCancel = 7002,  // OLabel1 "Cancel"
};

// TForm4, the shadow-mode window (4000-4999).
enum ShadowWindow : int {
  shImage1 = 4001,            // Image1: the picture behind the buttons
  shToNormal = 4002,          // back to the main window
  shToolbarButton971 = 4003,  // the general menu
  shToolbarButton972 = 4004,  // next track
  shToolbarButton973 = 4005,  // previous track
  shToolbarButton974 = 4006,  // pause
  shToolbarButton975 = 4007,  // stop
  shToolbarButton976 = 4008,  // play
};

// TForm14, "Jump to file" (14000-14999): the typed words and the entries that hold them.
enum JumpWindow : int {
  jumpEdit = 14001,  // the words
  jumpList = 14002,  // the matching display names, in playlist order
};

// WM_COPYDATA to TForm1 whose dwData is this ("UTF8" in memory order) carries UTF-8 text;
// any other dwData, 8-bit text of the sender's code page.
constexpr unsigned long kCopyDataUtf8 = 0x38465455;

}  // namespace velmora::ids
