#include "state/level_catalogue.h"

#include "common/text_ops.h"

namespace kagaku {

void SetProgramName(ProgramSetup& setup) {
    setup.ProgramName = kProgramName;
}

void BuildLevelCatalogue(ProgramSetup& setup) {
    static const char* const kNames[] = {"元素練習",
                                         "元素",
                                         "化学式練習",
                                         "化学式",
                                         "化学反応練習",
                                         "化学反応",
                                         "イオン練習",
                                         "イオン",
                                         "イオン式など１練習",
                                         "イオン式など１",
                                         "イオン式など２練習",
                                         "イオン式など２",
                                         "全体－２"};
    setup.LevelCount = 12;
    setup.GoalLevel = Variant(6);
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        setup.LevelNames[i + 1] = kNames[i];
        setup.LevelTimed[i + 1] = 1;
    }
    FillEmptyLevelNames(setup);
}

void FillEmptyLevelNames(ProgramSetup& setup) {
    for (std::size_t level = 1; level <= 12; ++level) {
        if (setup.LevelNames[level].empty()) {
            setup.LevelNames[level] = "ﾚﾍﾞﾙ" + text::NumberText(static_cast<long long>(level));
        }
    }
}

bool IsPracticeLevel(std::string_view levelName) {
    return text::Contains(levelName, "練");
}

int ProblemCategoryOfLevel(int level) {
    return (level + 1) / 2;
}

}  // namespace kagaku
