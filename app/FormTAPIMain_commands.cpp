// The operator's commands behind the buttons. Each arrives with the part of
// the bench it drives; until then a button does nothing.
#include "app/FormTAPIMain.h"

void TForm1::bbtnOpenTAPIClick(TObject*) {}
void TForm1::bbtnPlaySoundTAPIClick(TObject*) {}
void TForm1::bbtnAnswerTAPIClick(TObject*) {}
void TForm1::bbtnHangupTAPIClick(TObject*) {}
void TForm1::bbtnRecordTAPIClick(TObject*) {}
void TForm1::bbtnCallClick(TObject*) {}
void TForm1::bbtnStopRecordTAPIClick(TObject*) {}
