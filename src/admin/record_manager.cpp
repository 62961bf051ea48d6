#include "admin/record_manager.h"

#include <algorithm>
#include <cmath>
#include <system_error>

#include "common/errors.h"
#include "common/files.h"
#include "common/text_ops.h"
#include "roster/roster_file.h"
#include "roster/school_grade.h"

namespace kagaku::admin {

namespace {

// Numbers and dates are plain ASCII: one byte is one character.
void AppendPadded(std::string& out, const std::string& ascii, std::size_t width) {
    if (ascii.size() < width) {
        out.append(width - ascii.size(), ' ');
    }
    out += ascii;
}

std::size_t Digits(std::uint64_t n) {
    std::size_t d = 1;
    while (n >= 10) {
        n /= 10;
        ++d;
    }
    return d;
}

bool WholeNumberText(const std::string& s, long long low, long long high, long long& value) {
    const std::string t = text::Trim(s);
    if (t.empty() || t.size() > 9 ||
        !std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    value = std::stoll(t);
    return value >= low && value <= high;
}

}  // namespace

RosterLookup ReadRosterLookup(const ProgramSetup& setup, const CivilDate& today) {
    RosterLookup lookup;
    const std::filesystem::path file = RosterFilePath(setup.DataRoot);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        return lookup;
    }
    RosterTables tables;
    tables.SchoolYear = SchoolYearOf(today, setup.SchoolYearStartMonth);
    RunRosterPass(file, setup.RosterHideOption, tables);
    for (std::size_t n = 0; n < kPupilSlots; ++n) {
        lookup.NameOf[n] = text::Trim(tables.RosterName[n]);
        lookup.GradeOf[n] = tables.RosterGradeLabel[n];
    }
    // One item per roster record, listed or not, in the file's order.
    for (const std::int16_t number : tables.FileOrder) {
        const auto n = static_cast<std::size_t>(number);
        lookup.PupilItems.push_back(text::Str(static_cast<long long>(n)) + " /  " +
                                    lookup.NameOf[n]);
    }
    return lookup;
}

OwnSchool OwnSchoolOf(const ProgramSetup& setup) {
    return {MakeRecordText(setup.SchoolCode.ToText()), setup.SchoolName};
}

RecordListing BuildRecordListing(const RecordWindow& records, const RosterLookup& roster,
                                 const OwnSchool& school) {
    // Name and grade columns once per pupil, not once per line.
    const std::string fill6 = text::Repeat("　", 6);
    std::vector<std::string> pupilPart(kPupilSlots);
    for (std::size_t n = 0; n < kPupilSlots; ++n) {
        pupilPart[n] = text::Left(roster.NameOf[n] + fill6, 6) + " " + roster.GradeOf[n] + "++";
    }
    const std::string otherSchool = "他塾";
    const std::string unknownPupil = text::Left(fill6, 6) + " ++";

    RecordListing listing;
    listing.Numbers.reserve(records.Count());
    listing.Lines.reserve(records.Count());
    listing.Bytes.reserve(records.Count());
    const std::uint64_t last = records.FirstRecordNumber + records.Count() - 1;
    const std::size_t numberWidth = std::max<std::size_t>(4, Digits(last));
    for (std::size_t i = 0; i < records.Count(); ++i) {
        const ScoreRecord r = records.Record(i);
        if (r.Level == 0) {
            continue;
        }
        const std::uint64_t number = records.FirstRecordNumber + i;
        std::string line;
        line.reserve(96);
        AppendPadded(line, std::to_string(number), numberWidth);
        line += ' ';
        if (r.RunDate >= 0.0 && r.RunDate < kDateLimit) {
            line += FormatSlashDate(OleDateOf(r.RunDate));
        } else {
            line += "----/--/--";
        }
        line += "　";
        AppendPadded(line, FormatClockTime(OleTimeOf(r.RunTimeOfDay)), 9);
        line += "ﾚﾍﾞﾙ";
        line += std::to_string(r.Level);
        line += "　";
        AppendPadded(line, std::to_string(r.Seconds), 5);
        line += "秒 　";
        AppendPadded(line, std::to_string(r.PupilNumber), 4);
        line += ' ';
        if (r.PupilNumber >= 0 && r.PupilNumber <= kMaxPupil) {
            line += pupilPart[static_cast<std::size_t>(r.PupilNumber)];
        } else {
            line += unknownPupil;
        }
        line += r.SchoolCode == school.Code ? school.Name : otherSchool;
        listing.Numbers.push_back(number);
        listing.Lines.push_back(std::move(line));
        ScoreRecordBytes& bytes = listing.Bytes.emplace_back();
        std::copy_n(records.RecordBytes(i), bytes.size(), bytes.begin());
    }
    return listing;
}

std::optional<std::size_t> LineOfRecord(const RecordListing& listing, std::uint64_t n) {
    auto it = std::lower_bound(listing.Numbers.begin(), listing.Numbers.end(), n);
    if (it == listing.Numbers.end() || *it != n) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(it - listing.Numbers.begin());
}

std::optional<std::size_t> LineAfterDeletion(const RecordListing& listing, std::uint64_t n) {
    if (listing.Numbers.empty()) {
        return std::nullopt;
    }
    auto it = std::lower_bound(listing.Numbers.begin(), listing.Numbers.end(), n);
    if (it == listing.Numbers.end()) {
        return listing.Numbers.size() - 1;
    }
    return static_cast<std::size_t>(it - listing.Numbers.begin());
}

std::optional<ScoreRecord> ReadListedRecord(const std::filesystem::path& file,
                                            const RecordListing& listing, std::size_t line) {
    if (line >= listing.Numbers.size() || line >= listing.Bytes.size()) {
        return std::nullopt;
    }
    ScoreRecord record;
    try {
        record = ReadScoreRecord(file, listing.Numbers[line]);
    } catch (const DataFileError&) {
        return std::nullopt;  // the file holds fewer records now
    }
    if (EncodeScoreRecord(record) != listing.Bytes[line]) {
        return std::nullopt;
    }
    return record;
}

RecordChange RewriteListedRecord(const std::filesystem::path& file, const RecordListing& listing,
                                 std::size_t line, const ScoreRecord& corrected,
                                 RecordFileWaiter& waiter) {
    if (line >= listing.Numbers.size() || line >= listing.Bytes.size()) {
        return RecordChange::RecordDiffers;
    }
    return RewriteScoreRecord(file, listing.Numbers[line], corrected, waiter,
                              &listing.Bytes[line]);
}

RecordChange DeleteListedRecord(const std::filesystem::path& file, const RecordListing& listing,
                                std::size_t line, RecordFileWaiter& waiter) {
    if (line >= listing.Numbers.size() || line >= listing.Bytes.size()) {
        return RecordChange::RecordDiffers;
    }
    try {
        return DeleteScoreRecord(file, listing.Numbers[line], waiter, &listing.Bytes[line]);
    } catch (const DeletionInterrupted& fault) {
        // The copy is whole or cut short: finished or dropped now, while the teacher waits,
        // so that the message can say which.
        std::optional<InterruptedDeletion> then;
        try {
            then = FinishInterruptedDeletion(file, waiter);
        } catch (const DataFileError&) {
        }
        // No copy left to deal with: the failed step tells how the file was left.
        if (then == InterruptedDeletion::None) {
            if (fault.step() == DeletionInterrupted::Step::RemovingCopy) {
                then = InterruptedDeletion::Finished;  // the move was done and flushed
            } else if (fault.step() == DeletionInterrupted::Step::WritingCopy) {
                then = InterruptedDeletion::Dropped;  // the record file was not touched
            }
        }
        throw DeletionFault(fault, then);
    }
}

namespace {

std::string DeletionHeadline(std::uint64_t n, const std::optional<InterruptedDeletion>& then) {
    const std::string record = "記録" + std::to_string(n);
    if (!then) {
        return record +
               "の消去は途中で止まっています。次にこのファイルに書き込むとき（成績の記録や、"
               "この一覧の読み直し）に、消去を仕上げるか取り消します。";
    }
    switch (*then) {
        case InterruptedDeletion::Finished:
            return record + "の消去の途中でエラーが発生しましたが、続けて消去を仕上げました。" +
                   record + "は消えています。";
        case InterruptedDeletion::Dropped:
            return record + "の消去の途中でエラーが発生したため、消去を取り消しました。" + record +
                   "は消えていません。";
        case InterruptedDeletion::None:
            break;
    }
    return record + "の消去の途中でエラーが発生しました。その消去は、ほかのパソコンが仕上げたか"
                    "取り消しました。一覧で確かめてください。";
}

}  // namespace

DeletionFault::DeletionFault(const DeletionInterrupted& fault,
                             std::optional<InterruptedDeletion> then)
    : DataFileError(fault.file(), "記録" + std::to_string(fault.record()) +
                                      "の消去の途中でエラーが発生しました（" +
                                      fault.description() + "）。"),
      then_(then),
      headline_(DeletionHeadline(fault.record(), then)) {}

EditPanel EditPanelFor(const ScoreRecord& record, const RosterLookup& roster) {
    EditPanel panel;
    panel.Level = "ﾚﾍﾞﾙ" + text::Str(static_cast<long long>(record.Level));
    if (record.RunDate >= 0.0 && record.RunDate < kDateLimit) {
        panel.Date = FormatSlashDate(OleDateOf(record.RunDate));
    }
    const bool known = record.PupilNumber >= 0 && record.PupilNumber <= kMaxPupil;
    const auto p = static_cast<std::size_t>(known ? record.PupilNumber : 0);
    panel.Grade = known ? text::Trim(roster.GradeOf[p]) : std::string();
    panel.Seconds = text::Str(static_cast<long long>(record.Seconds));
    panel.ScrollValue = std::clamp<int>(record.Seconds, 0, kSecondsScrollMaximum);
    panel.Pupil = text::Str(static_cast<long long>(record.PupilNumber)) + " /  " +
                  (known ? roster.NameOf[p] : std::string());
    return panel;
}

std::optional<int> PupilOfEntry(const std::string& entry) {
    const auto slash = entry.find('/');
    long long value = 0;
    if (slash == std::string::npos ||
        !WholeNumberText(entry.substr(0, slash), 1, kMaxPupil, value)) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

std::variant<ScoreRecord, std::string> CorrectedRecord(const ScoreRecord& read,
                                                       const std::string& pupilEntry,
                                                       const std::string& secondsText) {
    long long seconds = 0;
    if (!WholeNumberText(secondsText, 0, kTimedOutSeconds, seconds)) {
        return std::string(
            "タイム「" + text::Trim(secondsText) +
            "」は、0から99999までの整数（秒）で入れてください。記録は変えていません。");
    }
    const std::optional<int> pupil = PupilOfEntry(pupilEntry);
    if (!pupil) {
        return std::string(
            "生徒「" + pupilEntry +
            "」は「番号 /  名前」の形で、番号は1から5000までです。記録は変えていません。");
    }
    ScoreRecord corrected = read;
    corrected.Seconds = static_cast<std::int32_t>(seconds);
    corrected.PupilNumber = static_cast<std::int16_t>(*pupil);
    return corrected;
}

}  // namespace kagaku::admin
