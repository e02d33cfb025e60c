#include "shell/app/CommandStates.h"

namespace vandrel {

CommandStates computeCommandStates(const CommandInputs& inputs) {
    CommandStates states;
    states.save = !inputs.documentEmpty;
    states.close = !inputs.documentEmpty;
    states.compare = !inputs.documentEmpty;
    states.copy = inputs.activeView == 1 && inputs.logHasSelection;
    states.find = inputs.activeView != 0;
    states.findNext = inputs.activeView != 0;
    states.monitorTabChecked = inputs.monitorTabShown;
    return states;
}

} // namespace vandrel
