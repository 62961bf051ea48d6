#include "drill/problem_set.h"

#include "common/errors.h"
#include "common/field_list.h"
#include "common/files.h"
#include "common/paths.h"
#include "common/text_ops.h"
#include "state/level_catalogue.h"

namespace kagaku {

ProblemSet LoadProblemSet(const std::filesystem::path& problemFile, int category) {
    FieldReader reader = FieldReader::FromFile(problemFile);
    ProblemSet set;
    set.category = category;
    int rowsOfCategory = 0;
    while (!reader.AtEnd()) {
        std::vector<std::string> row = reader.Next(3);
        // Category and level are compared as numbers.
        if (text::Val(row[0]) != static_cast<double>(category))
            continue;
        ++rowsOfCategory;
        if (rowsOfCategory <= kMaxProblemsPerCategory)
            set.problems.push_back(Problem{std::move(row[1]), std::move(row[2])});
    }
    const std::string categoryText = "分類" + std::to_string(category);
    if (rowsOfCategory == 0)
        throw DataFileError(reader.File(), categoryText +
                                               "の問題が1問もありません。このレベルは始められ"
                                               "ません。先生に知らせてください。");
    if (rowsOfCategory > kMaxProblemsPerCategory)
        throw DataFileError(reader.File(),
                            categoryText + "の問題が" + std::to_string(rowsOfCategory) +
                                "問あります。1つの分類に入れられるのは" +
                                std::to_string(kMaxProblemsPerCategory) +
                                "問までです。このレベルは始められません。先生に知らせてくださ"
                                "い。");
    return set;
}

ProblemSet LoadProblemSetForLevel(std::string_view appFolder, int level) {
    return LoadProblemSet(InFolder(appFolder, kProblemFileName), ProblemCategoryOfLevel(level));
}

}  // namespace kagaku
