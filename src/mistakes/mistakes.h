#pragma once
// What pupils get wrong. Every answer judged wrong in a timed drill and every answer revealed
// with 答え表示 in practice goes as one line into the pupil's mistake log 間違い<n>.csv in the
// program's data folder (mistake_log.h); from those logs the teacher sees the problems a class
// or a pupil misses most (mistake_ranking.h, shown and printed through mistake_views.h, and
// listed by kagaku-admin mistakes), and a pupil practises his or her own mistakes
// (mistake_practice.h). Nothing here touches the score record file: a practice of mistakes is
// a practice level's run and records nothing.
//
// Data flow and the calls the screens make:
//
//   drill screen   at the start of a run:         BeginRunMistakes(state, level)
//                  a timed answer judged wrong:    NoteWrongAnswer(state, drill, clock)
//                  practice's 答え表示:            NoteRevealedAnswer(state, practice, clock)
//                  (mistake_notes.h; each returns, once per run, the message for a log that
//                  cannot be written - the run goes on, and state.RunMistakes.logProblem keeps
//                  it for the result screen)
//   result screen  PracticeOfRun(state.RunMistakes, state.LevelNames, state.LevelCount):
//                  when it gives a practice, a button PracticeOfferCaption(practice) starts
//                  it: CurrentLevel = practice.level, the drill screen on practice.problems.
//   level menu     once per refresh: ReadMistakeLog(MistakeLogPath(ProgramDataFolder,
//                  PupilNumber)); per practice level L: PracticeOfOwnMistakes(entries,
//                  LoadProblemSetForLevel(AppFolder, L), state.LevelTimed, L, today) - a
//                  button in the practice column's empty list space when it gives one.
//   teacher        BuildMistakeRanking(ProgramDataFolder, state.Roster, query, today), then
//                  MistakeRankingViewOf(...) for the screen and MistakeRankingPages(view) for
//                  the printer and the PDF file (one page a level).
//
// The logs are only appended to (one write of one line) and read whole, each line on its own.

#include "mistakes/mistake_log.h"
#include "mistakes/mistake_notes.h"
#include "mistakes/mistake_practice.h"
#include "mistakes/mistake_ranking.h"
#include "mistakes/mistake_views.h"
#include "mistakes/run_mistakes.h"
