#pragma once

#include <string>

#include "core/AppContext.h"
#include "records/OptionValues.h"
#include "records/ui/OptionsPage.h"

namespace ambrin {

// The window around an options page shown on its own (tests, benchmarks, pictures): the
// values loaded from the context's settings, nothing saved, the record list's selected file
// kept for the caller. GUI thread.
class StandalonePageHost : public OptionsPageHost {
  public:
    explicit StandalonePageHost(AppContext& context)
        : m_context(context),
          m_saved(context.settings != nullptr ? loadOptionValues(*context.settings)
                                              : OptionValues{}),
          m_edited(m_saved) {}

    AppContext& context() override { return m_context; }
    OptionValues& editedValues() override { return m_edited; }
    const OptionValues& savedValues() const override { return m_saved; }
    void valuesChanged() override {}
    void setSelectedRecordFile(const std::string& path) override { m_selectedFile = path; }

    const std::string& selectedRecordFile() const { return m_selectedFile; }

  private:
    AppContext& m_context;
    OptionValues m_saved;
    OptionValues m_edited;
    std::string m_selectedFile;
};

}  // namespace ambrin
