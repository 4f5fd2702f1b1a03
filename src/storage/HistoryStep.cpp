#include "storage/HistoryStep.h"

namespace zx {

HistoryStep HistoryStep::projectStep(StepKind kind, int32_t type, std::string_view label,
                                     AnimationMode activeMode, int image, bool backgroundSelected) {
    HistoryStep s;
    s.kind = kind;
    s.type = type;
    s.label = std::string(label);
    s.modeWord = int32_t(activeMode);
    s.image = image;
    s.backgroundSelected = backgroundSelected;
    return s;
}

HistoryStep HistoryStep::panelStep(AnimationMode mode, std::string_view label, int image,
                                   bool backgroundSelected, int32_t panelWord, int32_t type) {
    HistoryStep s;
    s.kind = StepKind(int32_t(mode));
    s.type = type;
    s.label = std::string(label);
    s.modeWord = panelWord;
    s.image = image;
    s.backgroundSelected = backgroundSelected;
    return s;
}

} // namespace zx
