#include "MainWindowTemplate.h"

#include <array>

namespace {

using K = TemplateControlKind;

constexpr std::array kControls = {
    TemplateControl{0, K::GroupBox, "COM port", 12, 4, 65, 34, true},
    TemplateControl{1001, K::ComboBox, "", 23, 16, 41, 56, true},
    TemplateControl{0, K::GroupBox, "Language", 12, 41, 79, 30, true},
    TemplateControl{1021, K::ComboBox, "", 17, 52, 65, 53, true},
    TemplateControl{1030, K::GroupBox, "Customer", 12, 74, 91, 31, true},
    TemplateControl{1026, K::ComboBox, "", 17, 86, 76, 79, true},
    TemplateControl{1004, K::ListBox, "", 107, 45, 174, 80, true},
    TemplateControl{1005, K::ProgressBar, "", 12, 133, 270, 19, true},
    TemplateControl{2, K::PushButton, "Cancel", 128, 124, 30, 25, false, true},
    TemplateControl{1003, K::PushButton, "Update", 169, 131, 18, 15, false},
    TemplateControl{1010, K::PushButton, "Programmiere SM", 207, 127, 24, 14, false},
    TemplateControl{1009, K::PushButton, "Programmiere BM", 245, 126, 21, 14, false},
    TemplateControl{1011, K::CheckBox, "For Ardmore", 19, 133, 59, 10, false},
    TemplateControl{1015, K::RadioButton, "For Ardmore", 15, 142, 59, 10, true},
    TemplateControl{1016, K::RadioButton, "For Belvanne", 20, 113, 57, 10, true},
    TemplateControl{1017, K::RadioButton, "Standard", 20, 91, 45, 10, true},
    TemplateControl{1018, K::RadioButton, "For Wurt", 20, 135, 41, 10, true},
    TemplateControl{1019, K::RadioButton, "For Tamsel", 20, 123, 52, 10, true},
    TemplateControl{1020, K::RadioButton, "For Kiv", 12, 65, 57, 10, true},
    TemplateControl{1022, K::RadioButton, "For Gamma", 21, 102, 46, 10, true},
    TemplateControl{1023, K::RadioButton, "For Delta", 12, 43, 46, 10, true},
    TemplateControl{1024, K::RadioButton, "For Jask Oriel", 15, 132, 75, 10, true},
    TemplateControl{1027, K::RadioButton, "Kesto", 63, 84, 33, 10, false},
    TemplateControl{1028, K::RadioButton, "Lumo", 25, 84, 29, 10, false},
};

}  // namespace

std::span<const TemplateControl> MainWindowTemplate() { return kControls; }
