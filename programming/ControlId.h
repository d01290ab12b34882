#pragma once

// Ids of the main window's controls that the programming dialogues and the
// Update command address. The window registers every control under its id.
namespace ControlId {
inline constexpr int kCancel = 2;               // hidden; disabled = close lock on
inline constexpr int kComPortSelector = 1001;
inline constexpr int kUpdateTwin = 1003;        // hidden push button "Update"
inline constexpr int kMessageList = 1004;
inline constexpr int kProgressBar = 1005;
inline constexpr int kProgramBmButton = 1009;   // hidden, no action
inline constexpr int kProgramSmButton = 1010;   // hidden, starts the worker
inline constexpr int kArdmoreCheckBox = 1011;   // hidden, never read
inline constexpr int kEdition1015 = 1015;
inline constexpr int kEdition1016 = 1016;
inline constexpr int kEdition1017 = 1017;
inline constexpr int kEdition1018 = 1018;
inline constexpr int kEdition1019 = 1019;
inline constexpr int kEdition1020 = 1020;
inline constexpr int kLanguageSelector = 1021;
inline constexpr int kEdition1022 = 1022;
inline constexpr int kEdition1023 = 1023;
inline constexpr int kEdition1024 = 1024;
inline constexpr int kCustomerEditionSelector = 1026;
inline constexpr int kModelKesto = 1027;
inline constexpr int kModelLumo = 1028;
inline constexpr int kUpdateButton = 1029;
inline constexpr int kCustomerGroupBox = 1030;
inline constexpr int kLogoButton = 1031;
}  // namespace ControlId
