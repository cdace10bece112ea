/* How the plug-in's readers tell the program that data they decoded came
 * short of whole (cut before their end mark, or failing their check): a
 * warning of the plug-in's log whose message is this lead, then the loss in
 * the program's words. The program says it as a loss of the page's plates,
 * not as a warning of its own. */
#ifndef COMN_LOSS_RECORD_H
#define COMN_LOSS_RECORD_H

#define COMN_LOSS_LEAD "Decoded data came short: "

#endif
