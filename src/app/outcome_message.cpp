#include "app/outcome_message.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <string_view>
#include <utility>

#include "app/program_paths.h"
#include "pattern/draw.h"
#include "settings/row_details.h"
#include "util/text.h"

namespace gara {

namespace {

// A count as digits; a count too large for them (a near-zero width) as words.
std::string CountText(double n) {
  if (std::isfinite(n) && n >= 0 && n < 1e15) return std::to_string(static_cast<int64_t>(n));
  return "数えきれないほど";
}

std::string FileName(const std::string& path) {
  return path.substr(DirectoryPart(path, kPathSeparators).size());
}

// Why a row detail's figure was not used, up to "ため、".
std::string_view RefusalReason(FigureFault fault) {
  switch (fault) {
    case FigureFault::kNone:
      break;
    case FigureFault::kUnreadable:
      return "読み込めないファイルのため、";
    case FigureFault::kEmpty:
      return "空のファイルのため、";
    case FigureFault::kNotFigureFile:
      return "図形のファイルではないため、";
    case FigureFault::kNoRecords:
      return "図形の要素が書かれていないファイルのため、";
    case FigureFault::kNothingDrawable:
      return "作図できる要素のない図形のファイルのため、";
    case FigureFault::kBeyondReach:
      return "大きすぎる図形（幅、高さか座標が 1 兆 mm を超える）のため、";
  }
  return "プログラムのフォルダーにあるファイルの名前ではないため、";
}

// How much of a value from a file a message quotes.
constexpr int kQuotedValueChars = 64;

// What a row detail the drawing run did not follow is to the user: told whether the run drew or
// not, so it says only that the figure was not used.
std::string RefusedDetailMessage(const RefusedDetail& refused) {
  const std::string what(FigureDetailLabel(refused.key));
  const std::string row = std::to_string(refused.row);
  std::string remedy = "設定画面で ";
  if (refused.fault == FigureFault::kUnreadable) {
    remedy = "ファイルのアクセス権を確かめるか、設定画面の［詳細…］で ";
  } else if (refused.fault != FigureFault::kNone) {
    remedy = "設定画面の［詳細…］で ";
  }
  return FileName(refused.file) + " の [" + row + "] の " + refused.key + "=" +
         MessageExcerpt(refused.value, kQuotedValueChars) + " は、" +
         std::string(RefusalReason(refused.fault)) + what + "を使いませんでした。\n" + remedy +
         row + " 番目のパターンの" + what + "を選び直してください。";
}

std::string OutcomeText(RunOutcome outcome, const RunDetail& detail) {
  switch (outcome) {
    case RunOutcome::kShowDialog:
    case RunOutcome::kDrawn:
    case RunOutcome::kRegistered:
      return {};
    case RunOutcome::kNothingToDraw:
      return "指示点が２点以上ないため、何も作図しませんでした。\n"
             "柄を並べる点を１点目から順に２点以上指示して、もう一度実行してください。";
    case RunOutcome::kNoPath:
      return "線・円弧・円が選択されていないため、何も作図しませんでした。\n"
             "柄を並べる線・円弧・円を範囲選択して、もう一度実行してください。";
    case RunOutcome::kTooManyFigures:
    case RunOutcome::kTooMuchOutput:
      return "並べる図形が多すぎるため、何も作図しませんでした。\n"
             "図形の数: " +
             CountText(detail.estimate.figures) + " 個（上限 " + CountText(kMaxFiguresPerRun) +
             " 個）\n"
             "図形の要素の数: " +
             CountText(detail.estimate.entities) + " 個（上限 " +
             CountText(kMaxFigureEntitiesPerRun) +
             " 個）\n"
             "柄の図形の幅や間隔を大きくするか、指示する区間を短くしてください。"
             "図面の縮尺も確かめてください。";
    case RunOutcome::kTooLarge:
      return "書き出す作図データが大きすぎるため、何も作図しませんでした。\n"
             "書き出す大きさ: 約 " +
             CountText(std::ceil(detail.estimate.bytes / 1e6)) + " MB（上限 " +
             CountText(std::floor(detail.estimate.maxBytes / 1e6)) +
             " MB）\n"
             "柄の図形の幅や間隔を大きくするか、指示する区間を短くしてください。"
             "図面の縮尺も確かめてください。";
    case RunOutcome::kFiguresTooLarge:
      return "柄の図形のファイルが大きすぎるため、何も作図しませんでした。\n"
             "読み込む図形のファイル: 合わせて約 " +
             CountText(std::ceil(static_cast<double>(detail.estimate.figureBytes) / 1e6)) +
             " MB（上限 " + CountText(static_cast<double>(kMaxFigureBytesPerRun) / 1e6) +
             " MB）\n"
             "図形の要素を減らして登録し直すか、設定で別の柄を選んでください。";
    case RunOutcome::kFigureSizeZero:
      return "選択中の柄の図形は幅か高さが 0 のため、図形を並べられませんでした。\n"
             "図形を登録し直すか、設定で別の柄を選んでください。";
    case RunOutcome::kNoFigureFile:
      if (detail.figureKind == FigureKind::kJws) {
        return "JWS図形のファイル jws.txt がないか空のため、図形を並べられませんでした。\n"
               "設定で JWS 図形（.jws ファイル）を選び直してください。";
      }
      return "選択図形のファイル sel.txt がないか空のため、図形を並べられませんでした。\n"
             "図形を範囲選択して登録してから、もう一度実行してください。";
    case RunOutcome::kFigureTooBig:
      if (detail.figureKind == FigureKind::kJws) {
        return "JWS図形のファイル jws.txt の図形は大きすぎる（幅、高さか座標が 1 兆 mm を超える）"
               "ため、何も作図しませんでした。\n"
               "設定で JWS 図形（.jws ファイル）を選び直してください。";
      }
      return "選択図形のファイル sel.txt の図形は大きすぎる（幅、高さか座標が 1 兆 mm を超える）"
             "ため、何も作図しませんでした。\n"
             "柄にする図形を範囲選択して登録し直してから、もう一度実行してください。";
    case RunOutcome::kRegisteredTooBig:
      return "選択した図形は大きすぎる（幅か高さが 1 兆 mm を超える）ため、"
             "柄の図形として並べられません。\n"
             "図面の縮尺を確かめ、柄にする図形だけを範囲選択して、もう一度登録してください。";
    case RunOutcome::kRegisteredEmpty:
      return "選択した図形は幅か高さが 0 のため、柄の図形として並べられません。\n"
             "幅と高さのある図形を範囲選択して、もう一度登録してください。";
    case RunOutcome::kWriteFailed:
      return "ファイル " + FileName(detail.file) +
             " を書き込めませんでした。\n"
             "フォルダーに書き込めるか、ディスクに空きがあるか、"
             "ファイルが読み取り専用でないかを確かめてください。";
    case RunOutcome::kSettingsUnreadable:
      return "設定ファイル " + FileName(detail.file) +
             " を読み込めないため、何もしませんでした。\n"
             "ファイルのアクセス権を確かめてください。設定ファイルは元のまま残っています。";
    case RunOutcome::kDetailsUnreadable:
      return "柄の詳細設定ファイル " + FileName(detail.file) +
             " を読み込めないため、何も作図しませんでした。\n"
             "ファイルのアクセス権を確かめてください。詳細設定ファイルは元のまま残っています。";
    case RunOutcome::kFigureUnreadable:
      return (detail.figureKind == FigureKind::kJws ? "JWS図形のファイル "
                                                    : "選択図形のファイル ") +
             FileName(detail.file) +
             " を読み込めないため、何も作図しませんでした。\n"
             "ファイルのアクセス権を確かめてください。";
  }
  return {};
}

// The copies of a drawn run that could not bend: they would have folded on the inside of a
// curve.
std::string UnbentMessage(double unbent) {
  return "曲線の内側で折り重なるため、" + CountText(unbent) +
         " 個の図形は曲げずに並べました。\n"
         "曲げるには、柄の図形の高さを曲線の半径より小さくするか、"
         "大きな半径の曲線を選んでください。";
}

// The corner pieces and caps a drawn run left out, as they did not fit their runs; empty when
// it left out none.
std::string LeftOutMessage(const std::array<double, kFigureSlots>& leftOut) {
  static constexpr std::pair<FigureSlot, std::string_view> kPieces[] = {
      {FigureSlot::kStart, kStartKey},
      {FigureSlot::kEnd, kEndKey},
      {FigureSlot::kCorner, kCornerKey}};
  std::string which;
  for (const auto& [slot, key] : kPieces) {
    const double count = leftOut[size_t(slot)];
    if (!(count > 0)) continue;
    if (!which.empty()) which += "、";
    which += std::string(FigureDetailLabel(key)) + " " + CountText(count) + " 個";
  }
  if (which.empty()) return {};
  return "置く区間に収まらないため、" + which +
         "を作図しませんでした。\n"
         "区間の長さより幅が広いか、区間の反対の端に置く図形と重なります。\n"
         "作図するには、区間を長くするか、詳細設定で幅の小さい図形を選んでください。";
}

}  // namespace

std::string OutcomeMessage(RunOutcome outcome, const RunDetail& detail) {
  std::string message = OutcomeText(outcome, detail);
  if (outcome == RunOutcome::kDrawn && detail.estimate.unbent > 0) {
    if (!message.empty()) message += "\n\n";
    message += UnbentMessage(detail.estimate.unbent);
  }
  if (outcome == RunOutcome::kDrawn || outcome == RunOutcome::kNoFigureFile) {
    const std::string leftOut = LeftOutMessage(detail.estimate.leftOut);
    if (!message.empty() && !leftOut.empty()) message += "\n\n";
    message += leftOut;
  }
  for (const RefusedDetail& refused : detail.refusedDetails) {
    if (!message.empty()) message += "\n\n";
    message += RefusedDetailMessage(refused);
  }
  return message;
}

std::string_view FailureMessage(RunFailure failure) {
  if (failure == RunFailure::kOutOfMemory) {
    return "メモリが足りないため、処理を中止しました。ファイルは元のままです。\n"
           "他のプログラムを閉じるか、選択する図形や並べる図形を減らして、"
           "もう一度実行してください。";
  }
  return "予期しないエラーのため、処理を中止しました。ファイルは元のままです。";
}

std::string_view DialogFailureMessage(RunFailure failure) {
  if (failure == RunFailure::kOutOfMemory) {
    return "メモリが足りないため、設定画面を閉じました。設定は保存していません。\n"
           "他のプログラムを閉じてから、もう一度開いてください。";
  }
  return "予期しないエラーのため、設定画面を閉じました。設定は保存していません。";
}

int ExitStatus(RunOutcome outcome) {
  return outcome == RunOutcome::kWriteFailed || outcome == RunOutcome::kSettingsUnreadable ||
                 outcome == RunOutcome::kDetailsUnreadable ||
                 outcome == RunOutcome::kFigureUnreadable
             ? kWriteFailedExit
             : 0;
}

}  // namespace gara
