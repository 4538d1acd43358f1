#pragma once

namespace tavrune {

// Makes the signals that end the batch tool (Ctrl+C, a closed terminal, kill and
// timeout, Ctrl+\, a closed pipe) first remove the temporary files of the outputs
// being written; the signal then takes its default action, so that whoever
// started the tool still sees it ended by that signal. A signal ignored when the
// tool started (nohup, a background job) stays ignored.
void removeTemporaryFilesOnTermination();

} // namespace tavrune
