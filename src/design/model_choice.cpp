// The chosen impedance model and board, with observers told of each change.
#include "design/model_choice.h"

#include <map>
#include <utility>

namespace design {
namespace {

struct Choice {
  ImpedanceModel model{};
  antenna::Board board{};
  std::map<int, std::function<void()>> observers;
  int nextId = 1;
};

// Never destroyed: a figure let go at exit removes its observer after this
// file's statics would otherwise be gone.
Choice& choice() {
  static Choice& c = *new Choice;
  return c;
}

void notify() {
  // A copy, so an observer may add or remove observers while they run.
  const auto observers = choice().observers;
  for (const auto& [id, fn] : observers) fn();
}

}  // namespace

ImpedanceModel chosenModel() {
  return choice().model;
}

ImpedanceModel otherModel(ImpedanceModel m) {
  const std::span<const ImpedanceModel> all = antenna::impedanceModels();
  for (std::size_t i = 0; i < all.size(); ++i)
    if (all[i] == m) return all[(i + 1) % all.size()];
  return all.front();
}
const antenna::Board& chosenBoard() {
  return choice().board;
}

void chooseModel(ImpedanceModel m) {
  choice().model = m;
  notify();
}

void chooseBoard(const antenna::Board& board) {
  choice().board = board;
  notify();
}

int addModelObserver(std::function<void()> fn) {
  const int id = choice().nextId++;
  choice().observers.emplace(id, std::move(fn));
  return id;
}

void removeModelObserver(int id) {
  choice().observers.erase(id);
}

}  // namespace design
