#pragma once
// Errors of the data files. Every failure that reaches a pupil or a teacher names the file and
// the problem, in Japanese like the rest of the program.

#include <stdexcept>
#include <string>

namespace kagaku {

// A data file is missing, short, damaged, undecodable or cannot be written.
class DataFileError : public std::runtime_error {
public:
    DataFileError(std::string file, std::string problem)
        : std::runtime_error(file + "\n" + problem),
          file_(std::move(file)),
          problem_(std::move(problem)) {}
    const std::string& file() const { return file_; }
    const std::string& problem() const { return problem_; }

private:
    std::string file_;
    std::string problem_;
};

}  // namespace kagaku
