#pragma once

// Makes platform::showMessage show a real QMessageBox.
void installMessageBoxPresenter();
